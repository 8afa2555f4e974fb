#pragma once
// The undo log of one row operation.
//
// Its writes land in the table's pending writes (BufferedFile), not on disk. When
// the operation fails part way, rollback() puts back the images it replaced and the
// header counters it changed, so that the rest of an explicit transaction goes on
// from the state before the operation. Writing to memory cannot fail for want of
// space; rollback() cannot throw.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace engine {

class TableData;

class WriteTxn {
public:
    explicit WriteTxn(TableData& d);

    void write(uint64_t off, const std::string& bytes, std::string undo, bool canUndo);
    void writeHeader();
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
    std::vector<std::pair<uint64_t, std::string>> m_undo;
};

} // namespace engine
