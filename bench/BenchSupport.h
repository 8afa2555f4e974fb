#pragma once
// Shared pieces of the benchmarks: the JSON line, timing, the process's I/O
// counters, instruction counts through callgrind, and a FileSystem that counts
// what the engine opens and reads.

#include "engine/FileSystem.h"

#include <valgrind/callgrind.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bench {

// Where a benchmark keeps its fixtures: under the build folder (KV_BENCH_FIXTURES), so
// that two build trees never share or overwrite each other's files.
inline std::string fixtureDir(const std::string& name) {
    return std::string(KV_BENCH_FIXTURES) + "/" + name;
}

// One measurement; ratio = value / denominatorValue (0 when there is no denominator).
inline void report(const std::string& benchName, long long n, const std::string& variant,
                   const std::string& metric, double value, const std::string& denominator = "",
                   double denominatorValue = 0) {
    std::printf("{\"bench\":\"%s\",\"N\":%lld,\"variant\":\"%s\",\"metric\":\"%s\",\"value\":%.6g,"
                "\"denominator\":\"%s\",\"ratio\":%.4g}\n",
                benchName.c_str(), n, variant.c_str(), metric.c_str(), value, denominator.c_str(),
                denominatorValue != 0 ? value / denominatorValue : 0.0);
    std::fflush(stdout);
}

inline double seconds(const std::function<void()>& f) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Best of `runs` wall times: the least disturbed run on a shared, noisy machine.
inline double bestSeconds(int runs, const std::function<void()>& f) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i)
        best = std::min(best, seconds(f));
    return best;
}

// Best of `runs` CPU times (user + system) of this process.
inline double bestCpuSeconds(int runs, const std::function<void()>& f) {
    auto cpu = [] {
        timespec ts;
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
    };
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const double t0 = cpu();
        f();
        best = std::min(best, cpu() - t0);
    }
    return best;
}

// Read system calls and bytes read by this process so far (/proc/self/io).
struct IoCounters {
    long long readCalls = 0, writeCalls = 0, bytesRead = 0;
    static IoCounters now() {
        IoCounters c;
        std::ifstream in("/proc/self/io");
        std::string key;
        long long v;
        while (in >> key >> v) {
            if (key == "syscr:")
                c.readCalls = v;
            if (key == "syscw:")
                c.writeCalls = v;
            if (key == "rchar:")
                c.bytesRead = v;
        }
        return c;
    }
};

inline bool underCallgrind() {
    return RUNNING_ON_VALGRIND;
}

// Instructions spent in `f` alone, when the process runs under callgrind with
// --instr-atstart=no.
inline void measured(const std::function<void()>& f) {
    CALLGRIND_ZERO_STATS;
    CALLGRIND_START_INSTRUMENTATION;
    f();
    CALLGRIND_STOP_INSTRUMENTATION;
    CALLGRIND_DUMP_STATS_AT("measured");
}

// Runs `self args...` under callgrind and returns the instructions of the measured()
// section, or -1 when valgrind is unavailable.
inline double callgrindInstructions(const std::string& self, const std::string& args) {
    if (std::system("valgrind --version >/dev/null 2>&1") != 0)
        return -1;
    char tmpl[] = "/tmp/kv-callgrind-XXXXXX";
    int fd = mkstemp(tmpl);
    if (fd < 0)
        return -1;
    close(fd);
    const std::string out = tmpl;
    const std::string cmd =
        "valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file=" + out + ".%p " + self +
        " " + args + " >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0)
        return -1;
    // Each dump lands in its own file (<out>.<pid>.<n>); take the "measured" one.
    double best = -1;
    const std::string list = "ls " + out + ".* 2>/dev/null";
    FILE* ls = popen(list.c_str(), "r");
    char name[512];
    while (ls && std::fgets(name, sizeof name, ls)) {
        std::string file(name);
        file.erase(file.find_last_not_of("\n") + 1);
        std::ifstream in(file);
        std::string line;
        bool isMeasured = false;
        double total = -1;
        while (std::getline(in, line)) {
            if (line.rfind("desc: Trigger: Client Request: measured", 0) == 0)
                isMeasured = true;
            if (line.rfind("totals:", 0) == 0 || line.rfind("summary:", 0) == 0)
                total = std::atof(line.c_str() + line.find(':') + 1);
        }
        if (isMeasured)
            best = std::max(best, total);
        std::remove(file.c_str());
    }
    if (ls)
        pclose(ls);
    std::remove(out.c_str());
    return best;
}

// Counts the files the engine opens and the bytes it reads through them.
class CountingFileSystem : public engine::FileSystem {
public:
    explicit CountingFileSystem(engine::FileSystem& inner) : m_inner(inner) {}
    long long opens = 0, reads = 0, bytesRead = 0;
    void reset() { opens = reads = bytesRead = 0; }

    std::unique_ptr<engine::File> open(const std::filesystem::path& p,
                                       engine::OpenMode mode) override {
        ++opens;
        return std::make_unique<Counted>(*this, m_inner.open(p, mode));
    }
    bool exists(const std::filesystem::path& p) override { return m_inner.exists(p); }
    void remove(const std::filesystem::path& p) override { m_inner.remove(p); }
    void rename(const std::filesystem::path& a, const std::filesystem::path& b) override {
        m_inner.rename(a, b);
    }
    std::vector<std::filesystem::path> list(const std::filesystem::path& dir) override {
        return m_inner.list(dir);
    }
    // Forwarded so that a measured run does the same directory work as a real one.
    std::optional<engine::DirectoryStamp>
    directoryStamp(const std::filesystem::path& dir) override {
        return m_inner.directoryStamp(dir);
    }
    void syncDirectory(const std::filesystem::path& dir) override { m_inner.syncDirectory(dir); }
    void makeDirectory(const std::filesystem::path& dir) override { m_inner.makeDirectory(dir); }
    void removeDirectory(const std::filesystem::path& dir) override {
        m_inner.removeDirectory(dir);
    }

private:
    class Counted : public engine::File {
    public:
        Counted(CountingFileSystem& fs, std::unique_ptr<engine::File> f)
            : engine::File(f->path()), m_fs(fs), m_f(std::move(f)) {}
        size_t readAt(uint64_t off, void* buf, size_t n) override {
            ++m_fs.reads;
            size_t got = m_f->readAt(off, buf, n);
            m_fs.bytesRead += (long long)got;
            return got;
        }
        void writeAt(uint64_t off, const void* buf, size_t n) override {
            m_f->writeAt(off, buf, n);
        }
        uint64_t size() override { return m_f->size(); }
        void truncate(uint64_t s) override { m_f->truncate(s); }
        void sync() override { m_f->sync(); }
        void close() override { m_f->close(); }
        bool tryLockExclusive() override { return m_f->tryLockExclusive(); }

    private:
        CountingFileSystem& m_fs;
        std::unique_ptr<engine::File> m_f;
    };
    engine::FileSystem& m_inner;
};

// Path of the running executable, for re-running it under callgrind.
inline std::string selfPath() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, size_t(n)) : std::string();
}

// Runs a program to its end with its output thrown away (its errors too when asked) and
// returns its peak resident size in KiB, or -1 when it did not exit with 0.
inline long childPeakRssKib(const std::vector<std::string>& argv, bool quietErrors) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(null, 1);
        if (quietErrors)
            dup2(null, 2);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage = {};
    if (pid < 0 || wait4(pid, &status, 0, &usage) < 0 || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

} // namespace bench
