#pragma once
// A FileSystem that wraps another one and drops its syncs (file and directory).
// For tests that never kill the process nor the machine: what a sync makes
// durable is then never looked at, and skipping the real fsync lets a loop
// replay a scenario hundreds of times within the time limit. A fault file system
// stacked on top still counts and fails the syncs the engine asks for.

#include "engine/FileSystem.h"

namespace testsupport {

class NoSyncFileSystem : public engine::FileSystem {
public:
    explicit NoSyncFileSystem(engine::FileSystem& inner) : m_inner(inner) {}

    std::unique_ptr<engine::File> open(const std::filesystem::path& p,
                                       engine::OpenMode mode) override;
    bool exists(const std::filesystem::path& p) override { return m_inner.exists(p); }
    void remove(const std::filesystem::path& p) override { m_inner.remove(p); }
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        m_inner.rename(from, to);
    }
    std::vector<std::filesystem::path> list(const std::filesystem::path& dir) override {
        return m_inner.list(dir);
    }
    void syncDirectory(const std::filesystem::path&) override {}
    void makeDirectory(const std::filesystem::path& dir) override { m_inner.makeDirectory(dir); }
    void removeDirectory(const std::filesystem::path& dir) override {
        m_inner.removeDirectory(dir);
    }
    bool lockedByOther(const std::filesystem::path& p) override { return m_inner.lockedByOther(p); }
    std::unique_ptr<engine::DirectoryLock>
    tryLockDirectory(const std::filesystem::path& dir) override {
        return m_inner.tryLockDirectory(dir);
    }

private:
    engine::FileSystem& m_inner;
};

} // namespace testsupport
