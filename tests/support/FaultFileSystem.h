#pragma once
// A FileSystem for tests that wraps another one and injects faults:
//  - failAt(n, err): the n-th counted operation (1-based) and, if sticky, every later
//    one throws EngineError(Io) as if the OS had returned err (ENOSPC, EIO, EROFS...);
//  - crashAt(n): the process ends with _exit(kCrashExitCode) just before the n-th
//    counted operation, leaving the disk exactly as a killed process would.
// Counted operations are what changes the disk: creating opens, writes, truncates,
// syncs, closes, removes, renames and directory changes and syncs; reads and other
// opens are counted too when countReads is set.

#include "engine/FileSystem.h"

namespace testsupport {

class FaultFileSystem : public engine::FileSystem {
public:
    static constexpr int kCrashExitCode = 77;

    explicit FaultFileSystem(engine::FileSystem& inner);

    void failAt(uint64_t n, int err, bool sticky = true);
    void crashAt(uint64_t n);
    void setCountReads(bool on) { m_countReads = on; }
    void reset(); // no fault, counter back to 0
    uint64_t operations() const { return m_count; }

    std::unique_ptr<engine::File> open(const std::filesystem::path& p,
                                       engine::OpenMode mode) override;
    bool exists(const std::filesystem::path& p) override;
    void remove(const std::filesystem::path& p) override;
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    std::vector<std::filesystem::path> list(const std::filesystem::path& dir) override;
    void syncDirectory(const std::filesystem::path& dir) override;
    void makeDirectory(const std::filesystem::path& dir) override;
    void removeDirectory(const std::filesystem::path& dir) override;
    bool lockedByOther(const std::filesystem::path& p) override { return m_inner.lockedByOther(p); }
    std::unique_ptr<engine::DirectoryLock>
    tryLockDirectory(const std::filesystem::path& dir) override {
        return m_inner.tryLockDirectory(dir);
    }

    // Called by the wrapped files before each operation; throws or exits as configured.
    void step(const std::filesystem::path& p, bool isWrite);

private:
    engine::FileSystem& m_inner;
    uint64_t m_count = 0;
    uint64_t m_failAt = 0;
    uint64_t m_crashAt = 0;
    int m_err = 0;
    bool m_sticky = true;
    bool m_countReads = false;
};

} // namespace testsupport
