#include "tests/support/NoSyncFileSystem.h"

namespace testsupport {

namespace {

class NoSyncFile : public engine::File {
public:
    explicit NoSyncFile(std::unique_ptr<engine::File> inner)
        : File(inner->path()), m_inner(std::move(inner)) {}

    size_t readAt(uint64_t off, void* buf, size_t n) override {
        return m_inner->readAt(off, buf, n);
    }
    void writeAt(uint64_t off, const void* buf, size_t n) override {
        m_inner->writeAt(off, buf, n);
    }
    uint64_t size() override { return m_inner->size(); }
    void truncate(uint64_t size) override { m_inner->truncate(size); }
    void sync() override {}
    void close() override { m_inner->close(); }
    void setPermissions(unsigned mode) override { m_inner->setPermissions(mode); }
    bool tryLockExclusive() override { return m_inner->tryLockExclusive(); }
    bool lockByte(uint64_t offset, engine::LockKind kind) override {
        return m_inner->lockByte(offset, kind);
    }

private:
    std::unique_ptr<engine::File> m_inner;
};

} // namespace

std::unique_ptr<engine::File> NoSyncFileSystem::open(const std::filesystem::path& p,
                                                     engine::OpenMode mode) {
    return std::make_unique<NoSyncFile>(m_inner.open(p, mode));
}

} // namespace testsupport
