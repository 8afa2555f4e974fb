// Appending a row after the table's last key while the block directory is not built.
//
// Numbering after the last key is what a capture does, and it must not cost the whole
// directory of a large table: the last data block is reached by descending the .PX
// along its right edge, and the .PX changes along that edge only (the last entry's
// count, or one more entry in the last index block, then the summary counts above).
// The right edge is where a packed tree grows, so the file stays what a whole layout
// of the chain gives. The blocks touched are pending writes of the row operation's
// transaction, journalled with the data blocks (IndexBlockFile).
//
// Anything this path does not expect (no room in the last index block, a free block
// to reuse, counters or links that disagree, an index file in doubt) hands the row to
// the general insert, which builds the directory, checks the chain and reports damage
// as it always has.

#include "engine/TableData.h"

#include "engine/Bytes.h"
#include "engine/EngineError.h"
#include "engine/IndexFiles.h"
#include "engine/PrimaryIndexLayout.h"
#include "engine/WriteTxn.h"

#include <cstring>

namespace engine {

using namespace bytes;

namespace {

constexpr int64_t kMaxSummaryCount = 32767;

std::string blockHead(uint16_t next, uint16_t prev, uint32_t count, int recordSize) {
    std::string h(6, '\0');
    put16(h.data(), 0, next);
    put16(h.data(), 2, prev);
    put16(h.data(), 4, uint16_t(int16_t((int(count) - 1) * recordSize)));
    return h;
}

int64_t entryInt(const std::string& block, size_t entry, size_t entrySize, size_t at) {
    int64_t v = 0;
    if (!codec::decodeInt(block.data() + 6 + entry * entrySize + at, 2, v))
        return -1;
    return v;
}

} // namespace

// While no root entry is capped, the root's counts add up to the table's rows: the
// header's row count must be theirs.
bool TableData::rootCountsRows(const std::string& root, size_t entries) const {
    int64_t sum = 0;
    for (size_t k = 0; k < entries; ++k) {
        const int64_t rows = entryInt(root, k, keyWidth + 6, keyWidth + 2);
        if (rows >= kMaxSummaryCount)
            return true; // a large table: its total is not in the tree
        sum += std::max<int64_t>(rows, 0);
    }
    return sum == int64_t(header.numRecords);
}

// The .PX blocks from the root down to the last leaf, the data block its last entry
// names and that entry's count. False when the tree does not look like one over the
// header's chain.
bool TableData::primaryRightEdge(std::vector<uint16_t>& edge, uint16_t& lastBlock,
                                 uint32_t& count) {
    IndexBlockFile& px = m_indexFiles->primary();
    const TableHeader& ph = px.header;
    const size_t entrySize = keyWidth + 6;
    if (px.recordSize() != entrySize || ph.indexLevels == 0 || ph.indexLevels > 8)
        return false;
    uint16_t n = ph.indexRoot;
    for (int level = ph.indexLevels; level >= 1; --level) {
        const std::string& b = px.block(n);
        const size_t c = px.count(b);
        const int64_t target = c ? entryInt(b, c - 1, entrySize, keyWidth) : -1;
        if (target <= 0 || target > 0xFFFF)
            return false;
        edge.push_back(n);
        if (level == ph.indexLevels && !rootCountsRows(b, c))
            return false;
        if (level == 1) {
            lastBlock = uint16_t(target);
            const int64_t rows = entryInt(b, c - 1, entrySize, keyWidth + 2);
            count = rows > 0 ? uint32_t(rows) : 0;
        }
        n = uint16_t(target);
    }
    return true;
}

bool TableData::appendInPlace(const std::string& rec, WriteTxn& txn, uint64_t& ordinal) {
    IndexFiles* ix = indexUpkeep();
    if (!keyed || !ix || m_haveDirectory || m_primaryIndexUntrusted ||
        header.indexUpdateRequired != 0 || header.numRecords == 0 || header.usedBlocks == 0 ||
        header.usedBlocks > header.totalBlocks ||
        uint64_t(header.numRecords) > uint64_t(header.usedBlocks) * uint64_t(capacity))
        return false;
    const uint16_t last = header.lastBlock;
    std::vector<uint16_t> edge;
    uint16_t indexed = 0;
    uint32_t indexedCount = 0;
    // Only the last block's header and last record are read, not the whole block.
    std::string head(6, '\0'), lastRecord(size_t(recordSize), '\0');
    uint16_t next = 0, prev = 0;
    uint32_t count = 0;
    try {
        checkFileSizeAgainstHeader();
        if (last == 0 || last > header.totalBlocks ||
            !primaryRightEdge(edge, indexed, indexedCount) || indexed != last ||
            file->readAt(headerOffsetOf(last), head.data(), 6) != 6)
            return false;
        next = u16(head.data(), 0);
        prev = u16(head.data(), 2);
        const int lastOffset = s16(head.data(), 4);
        if (next != 0 || lastOffset < 0 || lastOffset % recordSize != 0)
            return false;
        count = uint32_t(lastOffset / recordSize) + 1;
        if (count > uint32_t(capacity) ||
            file->readAt(headerOffsetOf(last) + 6 + uint64_t(lastOffset), lastRecord.data(),
                         lastRecord.size()) != lastRecord.size())
            return false;
    } catch (const EngineError&) {
        return false;
    }
    if (prev > header.totalBlocks || (prev == 0) != (header.usedBlocks == 1) ||
        (prev == 0 && header.firstBlock != last) || count != indexedCount ||
        std::memcmp(lastRecord.data(), rec.data(), keyWidth) >= 0)
        return false;
    const size_t end = 6 + size_t(count) * size_t(recordSize);
    IndexBlockFile& px = m_indexFiles->primary();
    uint16_t target = last;
    if (count < uint32_t(capacity)) {
        ++header.numRecords;
        txn.writeHeader();
        // What the new row's slot held (a block may end early in the file: zeros).
        std::string slot(size_t(recordSize), '\0');
        slot.resize(file->readAt(headerOffsetOf(last) + end, slot.data(), slot.size()));
        slot.resize(size_t(recordSize), '\0');
        txn.write(headerOffsetOf(last), blockHead(0, prev, count + 1, recordSize), head, true);
        txn.write(headerOffsetOf(last) + end, rec, std::move(slot), true);
        bumpRightEdge(edge, 0, std::string(), txn);
    } else {
        const bool leafFull = px.count(px.block(edge.back())) >= px.capacity();
        if (leafFull || header.firstFreeBlock != 0 || header.totalBlocks == 0xFFFF)
            return false;
        target = ++header.totalBlocks;
        ++header.usedBlocks;
        ++header.numRecords;
        header.lastBlock = target;
        txn.writeHeader();
        std::string block(size_t(blockSize), '\0');
        const std::string fresh = blockHead(0, last, 1, recordSize);
        std::memcpy(block.data(), fresh.data(), fresh.size());
        std::memcpy(block.data() + 6, rec.data(), rec.size());
        txn.write(headerOffsetOf(target), block, std::string(), false);
        txn.write(headerOffsetOf(last), blockHead(target, prev, count, recordSize), head, true);
        bumpRightEdge(edge, target, rec.substr(0, keyWidth), txn);
    }
    ix->rowAdded(rec.data(), target, txn);
    // The cached layout no longer matches the file; a later whole layout starts afresh.
    primaryLayout.reset();
    ordinal = header.numRecords - 1;
    return true;
}

// The .PX after one more row in the last data block (newBlock 0) or in a new last data
// block: the last leaf's entry counts it, or gains the new block's entry; every summary
// above is the capped sum of the entries of the block below it.
void TableData::bumpRightEdge(const std::vector<uint16_t>& edge, uint16_t newBlock,
                              const std::string& key, WriteTxn& txn) {
    IndexBlockFile& px = m_indexFiles->primary();
    const size_t entrySize = keyWidth + 6;
    std::string& leaf = px.edit(edge.back());
    size_t c = px.count(leaf);
    size_t from = 6 + (c - 1) * entrySize;
    if (newBlock == 0) {
        char* e = leaf.data() + from;
        int64_t rows = 0;
        codec::decodeInt(e + keyWidth + 2, 2, rows);
        codec::encodeInt(e + keyWidth + 2, 2, rows + 1);
    } else {
        from += entrySize;
        char* e = leaf.data() + from;
        std::memcpy(e, key.data(), keyWidth);
        codec::encodeInt(e + keyWidth, 2, newBlock);
        codec::encodeInt(e + keyWidth + 2, 2, 1);
        codec::encodeInt(e + keyWidth + 4, 2, 0);
        put16(leaf.data(), 4, uint16_t(int16_t(c * entrySize)));
        ++c;
    }
    px.writeEdited(edge.back(), from, from + entrySize, txn);
    if (newBlock != 0) {
        ++px.header.numRecords; // the entries of every level
        px.writeHeader(txn);
    }
    for (size_t i = edge.size() - 1; i > 0; --i) {
        const std::string& child = px.block(edge[i]);
        const size_t childCount = px.count(child);
        int64_t sum = 0;
        for (size_t k = 0; k < childCount; ++k)
            sum += std::max<int64_t>(entryInt(child, k, entrySize, keyWidth + 2), 0);
        std::string& parent = px.edit(edge[i - 1]);
        const size_t at = 6 + (px.count(parent) - 1) * entrySize + keyWidth + 2;
        int64_t was = 0;
        codec::decodeInt(parent.data() + at, 2, was);
        const int64_t now = std::min(sum, kMaxSummaryCount);
        if (was == now)
            return; // the sums above are capped alike
        codec::encodeInt(parent.data() + at, 2, now);
        px.writeEdited(edge[i - 1], at, at + 2, txn);
    }
}

uint64_t TableData::finishAppend(const std::string& rec, uint64_t ordinal) {
    noteRowsWritten(true);
    ++generation;
    noteEntries(nullptr, ordinal, rec.data());
    m_appended = rec;
    m_appendedOrdinal = ordinal;
    m_appendedGeneration = generation;
    return ordinal;
}

const char* TableData::appendedRecord(uint64_t ordinal) const {
    if (m_appendedGeneration != generation || m_appendedOrdinal != ordinal || m_haveDirectory)
        return nullptr;
    return m_appended.data();
}

} // namespace engine
