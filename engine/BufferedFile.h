#pragma once
// A file whose writes wait in memory until the transaction that made them commits.
//
// Reads see the file as the transaction left it (the disk overlaid with the pending
// writes), so the table works on its own changes before they reach the disk. The
// commit (TableTransaction.cpp) first saves the disk's bytes under every pending
// range to the journal, then applies the ranges with apply(); a rollback drops them.
//
// Pending writes are kept as disjoint, non-touching ranges keyed by their offset.

#include "engine/FileSystem.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace engine {

class BufferedFile : public File {
public:
    explicit BufferedFile(std::unique_ptr<File> disk);

    size_t readAt(uint64_t off, void* buf, size_t n) override;
    void writeAt(uint64_t off, const void* buf, size_t n) override;
    uint64_t size() override;
    void truncate(uint64_t size) override;
    void sync() override {} // the commit syncs
    void close() override { m_disk->close(); }

    bool dirty() const { return !m_pending.empty(); }
    const std::map<uint64_t, std::string>& pending() const { return m_pending; }
    // The size of the file on disk before the pending writes.
    uint64_t diskSize();
    // Bytes of the file on disk (not the pending ones); short at its end.
    std::string diskBytes(uint64_t off, size_t n);
    // Writes the pending ranges to the disk (the journal holds what they replace),
    // then forgets them; with `durable` the disk file is synced.
    void apply(bool durable);
    void discard() { m_pending.clear(); }
    // The disk file itself: whoever writes through it may change its size.
    File& disk() {
        m_diskSizeKnown = false;
        return *m_disk;
    }

private:
    void absorbFollowing(std::map<uint64_t, std::string>::iterator host, uint64_t end);
    bool readPending(uint64_t off, char* out, size_t n) const;

    std::unique_ptr<File> m_disk;
    std::map<uint64_t, std::string> m_pending;
    // While writes are pending the transaction holds the table's write lock, so the
    // disk file keeps its size: asked once, not at every read.
    uint64_t m_diskSize = 0;
    bool m_diskSizeKnown = false;
};

} // namespace engine
