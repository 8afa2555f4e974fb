#include "tests/support/FaultFileSystem.h"

#include "engine/EngineError.h"

#include <unistd.h>

namespace testsupport {

namespace {

// Forwards to the wrapped file after asking the fault file system for permission.
class FaultFile : public engine::File {
public:
    FaultFile(FaultFileSystem& fs, std::unique_ptr<engine::File> inner, bool writable)
        : File(inner->path()), m_fs(fs), m_inner(std::move(inner)), m_writable(writable) {}

    size_t readAt(uint64_t off, void* buf, size_t n) override {
        m_fs.step(path(), false);
        return m_inner->readAt(off, buf, n);
    }
    void writeAt(uint64_t off, const void* buf, size_t n) override {
        m_fs.step(path(), true);
        m_inner->writeAt(off, buf, n);
    }
    uint64_t size() override { return m_inner->size(); }
    void truncate(uint64_t size) override {
        m_fs.step(path(), true);
        m_inner->truncate(size);
    }
    void sync() override {
        m_fs.step(path(), true);
        m_inner->sync();
    }
    void close() override {
        if (m_closed)
            return;
        m_closed = true;
        // Closing a read-only descriptor cannot lose a write: not an operation to fail.
        if (m_writable)
            m_fs.step(path(), true);
        m_inner->close();
    }
    bool tryLockExclusive() override { return m_inner->tryLockExclusive(); }
    void setPermissions(unsigned mode) override { m_inner->setPermissions(mode); }
    std::optional<uint64_t> persistentInode() override { return m_inner->persistentInode(); }
    bool lockByte(uint64_t offset, engine::LockKind kind) override {
        return m_inner->lockByte(offset, kind);
    }

private:
    FaultFileSystem& m_fs;
    std::unique_ptr<engine::File> m_inner;
    bool m_writable;
    bool m_closed = false;
};

} // namespace

FaultFileSystem::FaultFileSystem(engine::FileSystem& inner) : m_inner(inner) {}

void FaultFileSystem::failAt(uint64_t n, int err, bool sticky) {
    m_failAt = n;
    m_err = err;
    m_sticky = sticky;
}

void FaultFileSystem::crashAt(uint64_t n) {
    m_crashAt = n;
}

void FaultFileSystem::reset() {
    m_count = 0;
    m_failAt = 0;
    m_crashAt = 0;
}

void FaultFileSystem::step(const std::filesystem::path& p, bool isWrite) {
    if (!isWrite && !m_countReads)
        return;
    ++m_count;
    if (m_crashAt != 0 && m_count >= m_crashAt)
        ::_exit(kCrashExitCode);
    if (m_failAt != 0 && (m_count == m_failAt || (m_sticky && m_count > m_failAt)))
        engine::throwIo(p, isWrite ? "écriture" : "lecture", m_err);
}

std::unique_ptr<engine::File> FaultFileSystem::open(const std::filesystem::path& p,
                                                    engine::OpenMode mode) {
    step(p, engine::opensToCreate(mode));
    return std::make_unique<FaultFile>(*this, m_inner.open(p, mode), engine::opensForWriting(mode));
}

bool FaultFileSystem::exists(const std::filesystem::path& p) {
    return m_inner.exists(p);
}

void FaultFileSystem::remove(const std::filesystem::path& p) {
    step(p, true);
    m_inner.remove(p);
}

void FaultFileSystem::rename(const std::filesystem::path& from, const std::filesystem::path& to) {
    step(from, true);
    m_inner.rename(from, to);
}

std::vector<std::filesystem::path> FaultFileSystem::list(const std::filesystem::path& dir) {
    return m_inner.list(dir);
}

void FaultFileSystem::syncDirectory(const std::filesystem::path& dir) {
    step(dir, true);
    m_inner.syncDirectory(dir);
}

void FaultFileSystem::makeDirectory(const std::filesystem::path& dir) {
    step(dir, true);
    m_inner.makeDirectory(dir);
}

void FaultFileSystem::removeDirectory(const std::filesystem::path& dir) {
    step(dir, true);
    m_inner.removeDirectory(dir);
}

} // namespace testsupport
