// korvanta-cli as a user runs it, each run a whole process:
//   - `info` of one small table against a pxlib program doing the same (open, then
//     the fields), instructions of the whole process under callgrind, dynamic
//     loading included: the start-up is most of what a user waits for;
//   - the start-up alone (`--version`) as the floor of every command;
//   - the decoding check of `info` per row, against a plain scan of the same rows;
//   - `list` of dictionaries of 1k and 100k rows: peak resident memory, which must
//     not grow with the dictionary since the rows are streamed.
//
//   bench_cli [--no-callgrind]

#include "bench/BenchSupport.h"
#include "bench/DictionaryFixture.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <map>
#include <thread>

namespace {

// Instructions of the whole run of `command` (every instruction from the first
// one of the dynamic loader), or -1 when valgrind is unavailable.
double wholeProcessInstructions(const std::string& command) {
    if (std::system("valgrind --version >/dev/null 2>&1") != 0)
        return -1;
    char tmpl[] = "/tmp/kv-bench-cli-XXXXXX";
    const int fd = mkstemp(tmpl);
    if (fd < 0)
        return -1;
    close(fd);
    const std::string out = tmpl;
    const std::string run = "valgrind --tool=callgrind --callgrind-out-file=" + out + " " +
                            command + " >/dev/null 2>&1";
    double total = -1;
    if (std::system(run.c_str()) == 0) {
        std::ifstream in(out);
        std::string line;
        while (std::getline(in, line))
            if (line.rfind("totals:", 0) == 0 || line.rfind("summary:", 0) == 0)
                total = std::atof(line.c_str() + line.find(':') + 1);
    }
    std::remove(out.c_str());
    return total;
}

// Peak resident memory (KiB) of one run of argv, its output thrown away. A child
// starts its peak from the size of the process that forked it, so the run is
// started by a small one: GNU time when installed, else a fresh copy of this
// program (--peak-rss), whose own few megabytes then bound the figure from below.
long peakRssKib(const std::vector<std::string>& argv) {
    const bool gnuTime = ::access("/usr/bin/time", X_OK) == 0;
    std::string command = gnuTime ? "/usr/bin/time -f %M" : bench::selfPath() + " --peak-rss";
    for (const std::string& a : argv)
        command += " " + a;
    command += gnuTime ? " 2>&1 >/dev/null" : "";
    FILE* out = popen(command.c_str(), "r");
    long kib = -1;
    if (out && std::fscanf(out, "%ld", &kib) != 1)
        kib = -1;
    if (out)
        pclose(out);
    return kib;
}

// Companion files are looked up in a listing kept per directory once the directory
// has settled (no change for a few seconds): measure what a user's tables get.
void letSettle(const std::filesystem::path& dir) {
    const auto age =
        std::filesystem::file_time_type::clock::now() - std::filesystem::last_write_time(dir);
    if (age < std::chrono::seconds(3))
        std::this_thread::sleep_for(std::chrono::seconds(3) - age);
}

void benchInfo(const std::string& table) {
    const std::string cli = KV_CLI_PATH;
    const double engine = wholeProcessInstructions(cli + " info " + table);
    const double pxlib = wholeProcessInstructions(std::string(KV_PXLIB_INFO_PATH) + " " + table);
    const double startup = wholeProcessInstructions(cli + " --version");
    bench::report("cli", 1, "info", "process_instructions", engine, "pxlib", pxlib);
    bench::report("cli", 1, "version", "process_instructions", startup, "pxlib", pxlib);
}

// The decoding check `info` makes reads every row: per row it must cost no more than
// a plain scan of the same rows by the engine (the scan benchmark's measured scan).
// Per-row figures are the difference between two sizes, so that start-ups and opens
// cancel out.
void benchInfoPerRow(const std::map<int, std::string>& dictionaries) {
    const std::string small = dictionaries.at(1000), large = dictionaries.at(100000);
    auto perRow = [&](const std::string& command) {
        return (wholeProcessInstructions(command + large) -
                wholeProcessInstructions(command + small)) /
               99000.0;
    };
    const double info = perRow(std::string(KV_CLI_PATH) + " info ");
    const double scan = (bench::callgrindInstructions(KV_SCAN_PATH, "--measure engine " + large) -
                         bench::callgrindInstructions(KV_SCAN_PATH, "--measure engine " + small)) /
                        99000.0;
    bench::report("cli", 100000, "info_check", "instructions_per_row", info, "engine_scan", scan);
}

void benchList(const std::map<int, std::string>& dictionaries) {
    std::map<int, long> peak;
    for (const auto& [rows, file] : dictionaries) {
        long best = -1;
        for (int run = 0; run < 3; ++run) {
            const long kib = peakRssKib({KV_CLI_PATH, "list", file});
            best = best < 0 ? kib : std::min(best, kib);
        }
        peak[rows] = best;
        bench::report("cli", rows, "list", "peak_rss_kib", double(best));
    }
    if (peak.count(1000) && peak.count(100000))
        bench::report("cli", 100000, "list", "peak_rss_100k_over_1k", double(peak[100000]), "1k",
                      double(peak[1000]));
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() > 1 && args[0] == "--peak-rss") {
        std::printf("%ld\n", bench::childPeakRssKib({args.begin() + 1, args.end()}, false));
        return 0;
    }
    const bool callgrind = std::find(args.begin(), args.end(), "--no-callgrind") == args.end();
    const std::filesystem::path small = bench::writeDictionary(bench::fixtureDir("cli-info"), 20);
    std::map<int, std::string> dictionaries;
    for (int rows : {1000, 100000})
        dictionaries[rows] =
            bench::writeDictionary(bench::fixtureDir("cli-list-") + std::to_string(rows), rows)
                .string();
    letSettle(small.parent_path());
    if (callgrind) {
        benchInfo(small.string());
        benchInfoPerRow(dictionaries);
    }
    benchList(dictionaries);
    return 0;
}
