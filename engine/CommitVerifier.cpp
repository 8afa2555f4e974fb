#include "engine/CommitVerifier.h"

#include "engine/FileSystem.h"
#include "engine/IntegrityCheck.h"
#include "engine/TableData.h"

#include <cstdio>
#include <cstdlib>

namespace engine {

namespace {

#ifdef KV_VERIFY_COMMITS
constexpr bool kVerifyCommits = true;
#else
constexpr bool kVerifyCommits = false;
#endif

// Each commit is checked twice (before and after), reading the whole family: beyond
// a few dozen blocks this would make the long write tests crawl under the sanitizers.
constexpr uint64_t kLargestChecked = 64 * 1024;

// Whole, or the check could not read the files (a fault test's failing disk): then
// there is nothing to say.
bool whole(TableData& table, std::vector<IntegrityFinding>* findings) {
    try {
        auto found = IntegrityCheck(table).run(false);
        if (findings)
            *findings = found;
        return found.empty();
    } catch (...) {
        return false;
    }
}

} // namespace

CommitVerifier::CommitVerifier(TableData& table) : m_table(table) {
    // A file system a test installs counts or fails operations by their number: reads
    // of the verifier's own would move the faults it plants.
    if (!kVerifyCommits || !dynamic_cast<PosixFileSystem*>(&fileSystem()))
        return;
    try {
        m_active = table.file->diskSize() <= kLargestChecked && whole(table, nullptr);
    } catch (...) {
        m_active = false;
    }
}

void CommitVerifier::committed() {
    if (!m_active)
        return;
    std::vector<IntegrityFinding> findings;
    if (whole(m_table, &findings) || findings.empty())
        return;
    std::fprintf(stderr, "Une validation a endommagé la table %s :\n", m_table.path.c_str());
    for (const IntegrityFinding& f : findings)
        std::fprintf(stderr, "  %s : %s\n", f.file.c_str(), f.what.c_str());
    std::abort();
}

} // namespace engine
