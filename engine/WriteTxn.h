#pragma once
// The undo log of one row operation.
//
// Its writes land in the table's pending writes (BufferedFile), not on disk. When
// the operation fails part way, rollback() puts back the images it replaced and the
// header counters it changed, so that the rest of an explicit transaction goes on
// from the state before the operation. Writing to memory cannot fail for want of
// space; rollback() cannot throw.
//
// The index files kept in place (IndexBlockFile.h) write through writeTo: the bytes
// they replace are kept the same way, and after putting them back rollback() has the
// index files read their headers and blocks again.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace engine {

class File;
class TableData;

class WriteTxn {
public:
    explicit WriteTxn(TableData& d);

    void write(uint64_t off, const std::string& bytes, std::string undo, bool canUndo);
    void writeHeader();
    // A write into another file of the transaction (an index file), undone alike.
    void writeTo(File& f, uint64_t off, const std::string& bytes);
    void rollback() noexcept;

private:
    void restoreCounters() noexcept;
    size_t fixedLength() const;

    struct Saved {
        uint32_t numRecords;
        uint16_t usedBlocks, totalBlocks, firstBlock, lastBlock;
        uint32_t autoInc;
        uint16_t firstFreeBlock;
        uint8_t indexUpdateRequired;
        uint32_t updateTime;
    };
    TableData& m_d;
    Saved m_header;
    struct Undo {
        File* file; // nullptr: the table
        uint64_t offset;
        std::string bytes;
    };
    std::vector<Undo> m_undo;
    bool m_indexWritten = false;
};

} // namespace engine
