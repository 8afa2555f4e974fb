#include "tests/support/KilledCommit.h"

#include "engine/Journal.h"
#include "tests/support/FaultFileSystem.h"
#include "tests/support/ScopedFileSystem.h"

#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

namespace fs = std::filesystem;

namespace {

std::string contentsOf(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void copyFolder(const fs::path& from, const fs::path& to) {
    fs::remove_all(to);
    fs::copy(from, to, fs::copy_options::recursive);
}

// The child's status: 0 when the commit ended, the crash code when it was killed.
int runKilledAt(const fs::path& table, uint64_t k,
                const std::function<void(const fs::path&)>& commit) {
    const pid_t pid = fork();
    if (pid == 0) {
        FaultFileSystem fault(engine::fileSystem());
        fault.crashAt(k);
        const ScopedFileSystem mounted(fault);
        try {
            commit(table);
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

bool killCommitMidway(const fs::path& pristine, const fs::path& work, const fs::path& tableName,
                      const std::function<void(const fs::path& table)>& commit, unsigned skip) {
    const std::string before = contentsOf(pristine / tableName);
    for (uint64_t k = 1; k < 1000; ++k) {
        copyFolder(pristine, work);
        const fs::path table = work / tableName;
        if (runKilledAt(table, k, commit) != FaultFileSystem::kCrashExitCode)
            return false; // it ran to its end (or failed): later K change nothing
        if (fs::exists(engine::Journal::pathFor(table)) && contentsOf(table) != before &&
            skip-- == 0)
            return true;
    }
    return false;
}

} // namespace testsupport
