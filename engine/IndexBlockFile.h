#pragma once
// One index file (.PX, .X*, .Y*) changed in place, block by block, inside the table's
// transactions. Its writes wait in a BufferedFile, like the table's own: the commit
// journals and applies them with the table's, so the table and its index files reach
// the disk together or not at all (Journal.h names the index files by their role).
//
// The blocks use the table's 6-byte block header (TableData.h). Blocks leave and join
// the file's chain and its free list (header 0x4D) as data blocks do; every write of
// a block or of the header is recorded in the row operation's WriteTxn, which puts
// the bytes back if the operation fails.

#include "engine/BufferedFile.h"
#include "engine/TableHeader.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace engine {

class WriteTxn;

class IndexBlockFile {
public:
    // Opens an existing index file for writing (never through a link). Throws.
    IndexBlockFile(const std::filesystem::path& p, int codePage);

    TableHeader header;
    // Forgets the blocks read and reads the header again (after an undo). Throws.
    void reload();
    BufferedFile& file() { return *m_file; }
    size_t recordSize() const { return header.recordSize; }
    size_t blockSize() const { return size_t(header.blockSizeCode) * 1024; }
    size_t capacity() const { return (blockSize() - 6) / recordSize(); }

    // Block n as it stands in this transaction, checked: a number inside the file, a
    // count that fits. Throws IndexOutOfDate (the file does not hold what it says).
    const std::string& block(uint16_t n);
    static uint16_t next(const std::string& b);
    static uint16_t prev(const std::string& b);
    size_t count(const std::string& b) const;

    // Writes bytes [from, to) of a new image of block n (its header always).
    void write(uint16_t n, std::string image, size_t from, size_t to, WriteTxn& txn);
    // The image of block n to change in place (no copy of the block), then writeEdited
    // with the bytes [from, to) that changed; nothing else may come between the two.
    std::string& edit(uint16_t n);
    void writeEdited(uint16_t n, size_t from, size_t to, WriteTxn& txn);
    void writeHeader(WriteTxn& txn);

    // A block for new content: the head of the free list, else one more at the end.
    uint16_t allocate(WriteTxn& txn);
    // Chain links: n goes right after `after` or right before `before` (0: at the end
    // or at the start of the chain); unlink takes n out and puts it on the free list.
    void linkAfter(uint16_t after, uint16_t n, WriteTxn& txn);
    void linkBefore(uint16_t before, uint16_t n, WriteTxn& txn);
    void unlink(uint16_t n, WriteTxn& txn);

    [[noreturn]] void damaged(const std::string& what) const;

private:
    void setLinks(uint16_t n, uint16_t next, uint16_t prev, WriteTxn& txn);
    void trimUnchanged(uint16_t n, const std::string& image, size_t& from, size_t& to);
    uint64_t offsetOf(uint16_t n) const {
        return header.headerSize + uint64_t(n - 1) * blockSize();
    }

    std::unique_ptr<BufferedFile> m_file;
    int m_codePage;
    std::map<uint16_t, std::string> m_blocks; // read or written in this transaction
};

} // namespace engine
