// Writing rows: insert, update and delete into the table's pending writes (committed
// by TableTransaction.cpp), and the index files rewritten at flush.

#include "engine/TableData.h"

#include "engine/Bytes.h"
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/IndexFiles.h"
#include "engine/IndexWriter.h"
#include "engine/WriteTxn.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <functional>

namespace engine {

using namespace bytes;

namespace {

// Block numbers are 16-bit in the header and in every chain link.
constexpr uint16_t kMaxBlocks = 0xFFFF;

std::string makeBlock(int blockSize, int recordSize, uint16_t next, uint16_t prev,
                      const std::string& records) {
    std::string b(size_t(blockSize), '\0');
    put16(b.data(), 0, next);
    put16(b.data(), 2, prev);
    const int count = int(records.size()) / recordSize;
    put16(b.data(), 4, uint16_t(int16_t((count - 1) * recordSize)));
    std::memcpy(b.data() + 6, records.data(), records.size());
    return b;
}

// The 6-byte header of a block holding `count` records.
std::string linkHeader(int recordSize, uint16_t next, uint16_t prev, uint32_t count) {
    std::string h(6, '\0');
    put16(h.data(), 0, next);
    put16(h.data(), 2, prev);
    put16(h.data(), 4, uint16_t(int16_t((int(count) - 1) * recordSize)));
    return h;
}

} // namespace

// One row more or less in chain block i: the row counts before the later blocks move
// by one (appending to the last block costs nothing).
void TableData::shiftPrefix(size_t i, int delta) {
    if (m_prefixDirty || m_prefix.size() != m_chain.size() + 1)
        return;
    for (size_t j = i + 1; j < m_prefix.size(); ++j)
        m_prefix[j] = uint64_t(int64_t(m_prefix[j]) + delta);
}

uint64_t TableData::headerOffsetOf(uint16_t number) const {
    return header.headerSize + uint64_t(number - 1) * uint64_t(blockSize);
}

std::string TableData::blockImage(size_t i) const {
    const uint16_t next = i + 1 < m_chain.size() ? m_chain[i + 1].number : 0;
    const uint16_t prev = i > 0 ? m_chain[i - 1].number : 0;
    return makeBlock(blockSize, recordSize, next, prev, m_chain[i].records);
}

// Row operations run inside a change (autocommit or an open transaction), which
// holds the writer lock and has switched to a descriptor that may write.
// The directory is left for the row operation to build when it needs it: an append
// after the last key may do without (TableAppend.cpp).
void TableData::ensureWritable() {
    settle();
    useWritableFile();
    if (!keyed || header.indexUpdateRequired != 0 || m_primaryIndexUntrusted)
        ensureDirectory();
    startIndexUpkeep();
}

// The index files are kept in place when all of them stand for the rows now and have
// the layout of their orders; the journal names at most 16 files per commit.
bool TableData::indexUpkeepPossible() {
    if (!keyed || header.indexUpdateRequired != 0 || m_modified || m_entriesMoved ||
        m_primaryIndexUntrusted)
        return false;
    size_t files = 2 + (blobs ? 1 : 0);
    for (const SecondaryOrder& o : secondaries()) {
        if (!o.maintained || o.xPath.empty() || o.treeUntrusted)
            return false;
        files += 2;
    }
    return files <= 16;
}

void TableData::startIndexUpkeep() {
    if (m_indexUpkeepLooked)
        return;
    m_indexUpkeepLooked = true;
    if (m_indexUpkeepRefused || !indexUpkeepPossible())
        return;
    try {
        auto files = std::make_shared<IndexFiles>(*this);
        const TableHeader& px = files->primary().header;
        bool fits = primaryHeaderFits(px) && (px.indexLevels > 0) == (header.numRecords > 0) &&
                    px.indexUpdateRequired == 0;
        const auto all = files->files();
        for (size_t i = 0; fits && i < m_secondary.size(); ++i) {
            const TableHeader& x = all[1 + 2 * i]->header;
            const TableHeader& y = all[2 + 2 * i]->header;
            const SecondaryOrder& o = m_secondary[i];
            fits = secondaryHeaderFits(o, x) && y.fileType == (o.composite ? ftYGn : ftYnn) &&
                   y.version == header.version && y.familyStamp == header.familyStamp &&
                   (x.numRecords > 0) == (y.indexLevels > 0);
        }
        if (fits)
            m_indexFiles = std::move(files);
    } catch (const EngineError&) {
        // A file that cannot be opened or read: it is rewritten whole at flush.
    }
}

void TableData::endIndexUpkeep() noexcept {
    for (SecondaryOrder& o : m_secondary) { // their readers may read through the files
        dropReader(o.tree);
        o.treeLooked = false;
    }
    m_indexFiles.reset();
    m_indexUpkeepLooked = false;
}

void TableData::reloadIndexFiles() noexcept {
    if (m_indexFiles && !m_indexFiles->reload())
        m_indexUpkeepRefused = true;
}

// Index files that cannot follow this change lag behind the rows from now on.
void TableData::markIndexLag() {
    if (!indexUpkeep())
        header.indexUpdateRequired = 1;
}

void TableData::noteRowsWritten(bool entriesMoved) {
    if (indexUpkeep())
        return; // the index files followed
    m_modified = true;
    if (entriesMoved)
        m_entriesMoved = true;
}

void TableData::resetAfterFailure() {
    m_haveDirectory = false;
    m_chain.clear();
    m_prefixDirty = true;
    endIndexUpkeep();
    for (SecondaryOrder& o : m_secondary) {
        o.built = false;
        o.entries.clear();
    }
    try {
        header = TableHeader::read(*file, level3CodePage());
    } catch (...) {
        // Keep what we had; the next access reports the damage.
    }
    ++generation;
}

// Recovery after a session that did not finish (header byte 0x4F still set): the
// chain is the truth for the counters; the index files are rebuilt at the next flush
// of a write, and never used meanwhile.
void TableData::recoverIfNeeded() {
    if (header.indexUpdateRequired == 0)
        return;
    walkChain();
    uint64_t rows = 0;
    for (const BlockRef& b : m_chain)
        rows += b.count;
    header.numRecords = uint32_t(rows);
    header.usedBlocks = uint16_t(m_chain.size());
    header.firstBlock = m_chain.empty() ? 0 : m_chain.front().number;
    header.lastBlock = m_chain.empty() ? 0 : m_chain.back().number;
    header.storeFixedPart();
}

std::string TableData::encodeRecord(const Row& row, bool assignAutoInc) {
    if (row.size() != header.fields.size())
        throw EngineError(ErrorCode::InvalidArgument,
                          "Ligne de " + std::to_string(row.size()) + " valeurs pour les " +
                              std::to_string(header.fields.size()) + " champs de " + quoted(path));
    std::string rec(size_t(recordSize), '\0');
    for (size_t i = 0; i < row.size(); ++i) {
        const FieldInfo& f = header.fields[i];
        if (f.type == FieldType::AutoInc) {
            Value v = row[i];
            if (v.isNull() && assignAutoInc)
                v = Value::fromInt(int64_t(header.autoInc) + 1);
            codec->encode(f, v, rec.data());
            int64_t n = 0;
            if (codec::decodeInt(rec.data() + f.offset, 4, n) && n > int64_t(header.autoInc))
                header.autoInc = uint32_t(n);
            continue;
        }
        codec->encode(f, row[i], rec.data());
    }
    return rec;
}

void TableData::releaseBlobs(const char* rec) {
    if (!blobs)
        return;
    for (const FieldInfo& f : header.fields) {
        if (!isBlobType(f.type))
            continue;
        const uint32_t mbRef = u32(rec, size_t(f.offset + f.width - 10));
        if (mbRef != 0) {
            try {
                blobs->release(mbRef);
            } catch (const EngineError&) {
                // A BLOB block that cannot be freed is only wasted space.
            }
        }
    }
}

// Keeps the in-memory secondary orders in step with a row change.
// Whether rewriting a row in place changes an entry of a secondary index.
bool TableData::changesIndexFields(const char* oldRec, const char* newRec) {
    discoverIndexes();
    for (const SecondaryOrder& o : m_secondary)
        for (int fi : o.fields) {
            const FieldInfo& f = header.fields[size_t(fi)];
            if (std::memcmp(oldRec + f.offset, newRec + f.offset, size_t(f.width)) != 0)
                return true;
        }
    return false;
}

void TableData::noteEntries(const char* oldRec, uint64_t oldOrdinal, const char* newRec) {
    for (SecondaryOrder& o : m_secondary) {
        if (!o.built)
            continue;
        if (!keyed) {
            o.built = false; // entries carry ordinals, which shift
            o.entries.clear();
            continue;
        }
        if (oldRec)
            o.entries.erase(sortKey(o, oldRec, oldOrdinal));
        if (newRec)
            o.entries.insert(sortKey(o, newRec, 0));
    }
}

uint16_t TableData::allocateBlock(std::string& undo, bool& canUndo) {
    canUndo = false;
    const uint16_t head = header.firstFreeBlock;
    if (head != 0 && head <= header.availableBlocks(file->size())) {
        bool inChain = false;
        for (const BlockRef& b : m_chain)
            inChain = inChain || b.number == head;
        if (!inChain) {
            std::string old;
            readBlock(head, old);
            uint16_t next = u16(old.data(), 0);
            if (next > header.totalBlocks)
                next = 0; // a damaged free list is dropped rather than followed
            header.firstFreeBlock = next;
            undo = std::move(old);
            canUndo = true;
            return head;
        }
    }
    header.firstFreeBlock = 0;
    if (header.totalBlocks == kMaxBlocks)
        throw EngineError(
            ErrorCode::InvalidArgument,
            "La table " + quoted(path) + " est pleine : elle a atteint la limite de " +
                std::to_string(kMaxBlocks) + " blocs de " + std::to_string(blockSize / 1024) +
                " Ko ; la ligne n'a pas été écrite");
    return ++header.totalBlocks;
}

void TableData::checkUnique(const std::string& rec, const char* replaced) {
    if (!keyed)
        return;
    for (SecondaryOrder& o : secondaries()) {
        if (!(o.info.options & ixUnique))
            continue;
        if (IndexFiles* ix = indexUpkeep()) {
            if (ix->valueTaken(o, rec.data(), replaced))
                throw EngineError(ErrorCode::KeyViolation, keyViolationText(path));
            continue;
        }
        ensureBuilt(o);
        const std::string k = sortKey(o, rec.data(), 0);
        const std::string prefix = k.substr(0, o.indexWidth);
        for (size_t i = o.entries.lowerBound(prefix);
             i < o.entries.size() && o.entries.startsWith(i, prefix); ++i) {
            if (replaced &&
                o.entries[i].substr(o.indexWidth, keyWidth) == std::string_view(replaced, keyWidth))
                continue;
            throw EngineError(ErrorCode::KeyViolation, keyViolationText(path));
        }
    }
}

uint64_t TableData::insertRow(const Row& row) {
    try {
        return autocommit([&] { return doInsert(row); });
    } catch (const EngineError& e) {
        // Only the .PX was out of date: the chain on disk was walked and checked
        // meanwhile, and an insert finds its place again from the row's key alone.
        // Index files found wrong while kept in place are rewritten from the rows.
        if (e.code() != ErrorCode::IndexOutOfDate)
            throw;
        m_indexUpkeepRefused = true;
        return autocommit([&] { return doInsert(row); });
    }
}

uint64_t TableData::updateRow(uint64_t ordinal, const Row& row) {
    try {
        return autocommit([&] { return doUpdate(ordinal, row); });
    } catch (const EngineError& e) {
        if (e.code() != ErrorCode::IndexOutOfDate)
            throw;
        m_indexUpkeepRefused = true;
        if (m_explicitTxn)
            throw;
        return autocommit([&] { return doUpdate(ordinal, row); });
    }
}

void TableData::removeRow(uint64_t ordinal) {
    auto op = [&] {
        doRemove(ordinal);
        return 0;
    };
    try {
        autocommit(op);
    } catch (const EngineError& e) {
        if (e.code() != ErrorCode::IndexOutOfDate)
            throw;
        m_indexUpkeepRefused = true;
        if (m_explicitTxn)
            throw;
        autocommit(op);
    }
}

uint64_t TableData::doInsert(const Row& row) {
    ensureWritable();
    WriteTxn txn(*this);
    RowPos pos;
    std::string rec;
    uint64_t appended = 0;
    bool inPlace = false;
    try {
        rec = encodeRecord(row, true);
        const bool mayAppend = !m_haveDirectory && keyed && indexUpkeep();
        if (mayAppend)
            checkUnique(rec, nullptr);
        inPlace = mayAppend && appendInPlace(rec, txn, appended);
        if (!inPlace) {
            ensureDirectory();
            uint64_t existing;
            if (keyed && find(rec.substr(0, keyWidth), existing))
                throw EngineError(ErrorCode::KeyViolation, keyViolationText(path));
            if (!mayAppend)
                checkUnique(rec, nullptr);
            pos = insertEncoded(rec, txn);
            if (IndexFiles* ix = indexUpkeep())
                ix->rowAdded(rec.data(), m_chain[pos.block].number, txn);
        }
    } catch (...) {
        txn.rollback();
        throw;
    }
    if (inPlace)
        return finishAppend(rec, appended);
    return finishInsert(rec, pos);
}

// Writes a new record at its place; returns where it is. Throws before its commit
// write (the caller rolls back), never after it.
RowPos TableData::insertEncoded(const std::string& rec, WriteTxn& txn) {
    const std::string key = rec.substr(0, keyWidth);
    checkHeaderAgainstChain();
    if (m_chain.empty()) {
        markIndexLag();
        std::string undo;
        bool canUndo;
        const uint16_t n = allocateBlock(undo, canUndo);
        const std::string image = makeBlock(blockSize, recordSize, 0, 0, rec);
        if (canUndo) // a block from the free list leaves the list (in the header) first
            txn.writeHeader();
        txn.write(headerOffsetOf(n), image, undo, canUndo);
        ++header.numRecords;
        header.usedBlocks = 1;
        header.firstBlock = header.lastBlock = n;
        txn.writeHeader(); // commit: the header now names the block
        if (IndexFiles* ix = indexUpkeep())
            ix->blocksChanged();
        BlockRef b;
        b.number = n;
        b.count = 1;
        b.firstKey = key;
        b.records = rec;
        b.loaded = true;
        m_chain.push_back(std::move(b));
        m_prefixDirty = true;
        return {0, 0};
    }

    // Where the row goes: after its predecessor, so that the first key of a block
    // changes only when the row is the smallest of the table.
    size_t bi, slot;
    const uint64_t n = rowCount();
    const uint64_t at = keyed ? lowerBound(key) : n;
    if (at == n) {
        bi = m_chain.size() - 1;
        slot = m_chain[bi].count;
    } else {
        const RowPos p = locate(at);
        bi = p.block;
        slot = p.slot;
        if (slot == 0 && bi > 0 && m_chain[bi - 1].count < uint32_t(capacity)) {
            --bi;
            slot = m_chain[bi].count;
        }
    }
    // The block and both its neighbours may be rewritten (a split relinks them).
    checkNeighbourhood(bi);
    markIndexLag();
    ++header.numRecords;
    BlockRef& b = m_chain[bi];
    loadBlock(b);
    if (b.count >= uint32_t(capacity)) {
        std::string merged = b.records;
        merged.insert(slot * size_t(recordSize), rec);
        splitInsert(bi, slot, merged, txn);
        return locateRecord(rec, bi);
    }
    txn.writeHeader();
    const uint16_t next = bi + 1 < m_chain.size() ? m_chain[bi + 1].number : 0;
    const uint16_t prev = bi > 0 ? m_chain[bi - 1].number : 0;
    // Only what changes is written (and journaled): the block's 6-byte header and
    // the records from the new row's slot on, the new row alone when it is
    // appended. So a row costs the same whatever the block size.
    const size_t from = slot * size_t(recordSize);
    std::string moved = rec;
    moved.append(b.records, from);
    std::string replaced = b.records.substr(from);
    replaced.append(size_t(recordSize), '\0');
    txn.write(headerOffsetOf(b.number), linkHeader(recordSize, next, prev, b.count + 1),
              linkHeader(recordSize, next, prev, b.count), true);
    txn.write(headerOffsetOf(b.number) + 6 + from, moved, std::move(replaced), true);
    b.records.insert(from, rec);
    ++b.count;
    b.firstKey.assign(b.records.data(), keyWidth);
    shiftPrefix(bi, +1);
    if (IndexFiles* ix = indexUpkeep())
        ix->blocksChanged();
    return {bi, slot};
}

// Splits a full block: the new block takes the upper half (or only the new row when
// it goes at the very end of the table), is written unlinked, then the old block is
// rewritten pointing at it: that write is the commit.
void TableData::splitInsert(size_t bi, size_t slot, const std::string& merged, WriteTxn& txn) {
    BlockRef& b = m_chain[bi];
    const size_t total = merged.size() / size_t(recordSize);
    const bool atEnd = bi + 1 == m_chain.size() && slot == b.count;
    const size_t keep = atEnd ? b.count : (total + 1) / 2;
    const std::string keepRecs = merged.substr(0, keep * size_t(recordSize));
    const std::string movedRecs = merged.substr(keep * size_t(recordSize));
    const uint16_t c = bi + 1 < m_chain.size() ? m_chain[bi + 1].number : 0;
    std::string cImage;
    if (c) {
        loadBlock(m_chain[bi + 1]);
        cImage = blockImage(bi + 1); // read before anything is written
    }
    const std::string oldB = blockImage(bi);
    std::string undo;
    bool canUndo;
    const uint16_t n = allocateBlock(undo, canUndo);
    ++header.usedBlocks;
    if (!c)
        header.lastBlock = n;
    txn.writeHeader();
    txn.write(headerOffsetOf(n), makeBlock(blockSize, recordSize, c, b.number, movedRecs), undo,
              canUndo);
    const uint16_t prev = bi > 0 ? m_chain[bi - 1].number : 0;
    txn.write(headerOffsetOf(b.number), makeBlock(blockSize, recordSize, n, prev, keepRecs), oldB,
              true);
    // Committed. The back link of the following block is repaired last.
    if (c) {
        put16(cImage.data(), 2, n);
        try {
            file->writeAt(headerOffsetOf(c), cImage.data(), cImage.size());
        } catch (const EngineError&) {
            // Readers follow next links only; the back link is rewritten with the block.
        }
    }
    b.records = keepRecs;
    b.count = uint32_t(keep);
    b.firstKey.assign(keepRecs.data(), keyWidth);
    BlockRef nb;
    nb.number = n;
    nb.count = uint32_t(total - keep);
    nb.firstKey.assign(movedRecs.data(), keyWidth);
    nb.records = movedRecs;
    nb.loaded = true;
    m_chain.insert(m_chain.begin() + ptrdiff_t(bi + 1), std::move(nb));
    m_prefixDirty = true;
    if (IndexFiles* ix = indexUpkeep()) {
        const BlockRef& added = m_chain[bi + 1];
        ix->blocksChanged();
        // The rows that moved have their hint changed (the new row has no entry yet).
        for (size_t k = keep; k < total; ++k)
            if (k != slot)
                ix->rowMoved(merged.data() + k * size_t(recordSize), added.number, txn);
    }
}

RowPos TableData::locateRecord(const std::string& rec, size_t bi) {
    for (size_t i = bi; i < bi + 2 && i < m_chain.size(); ++i) {
        const BlockRef& b = m_chain[i];
        for (size_t s = 0; s < b.count; ++s)
            if (std::memcmp(b.records.data() + s * size_t(recordSize), rec.data(),
                            size_t(recordSize)) == 0)
                return {i, s};
    }
    return {bi, 0};
}

uint64_t TableData::finishInsert(const std::string& rec, RowPos pos) {
    noteRowsWritten(true);
    ++generation;
    const uint64_t ordinal = ordinalOf(pos);
    noteEntries(nullptr, ordinal, rec.data());
    return ordinal;
}

void TableData::doRemove(uint64_t ordinal) {
    ensureWritable();
    const RowPos pos = locate(ordinal);
    const std::string old(record(pos), size_t(recordSize));
    WriteTxn txn(*this);
    std::function<void()> afterCommit;
    try {
        afterCommit = removeAt(pos, txn);
        if (IndexFiles* ix = indexUpkeep())
            ix->rowRemoved(old.data(), txn);
    } catch (...) {
        txn.rollback();
        throw;
    }
    if (afterCommit)
        afterCommit();
    noteRowsWritten(true);
    ++generation;
    noteEntries(old.data(), ordinal, nullptr);
    releaseBlobs(old.data());
}

// Deletes a record (up to its commit write); returns the repairs to do after it.
std::function<void()> TableData::removeAt(RowPos pos, WriteTxn& txn) {
    checkHeaderAgainstChain();
    checkNeighbourhood(pos.block); // an emptied block's neighbours are linked together
    BlockRef& b = m_chain[pos.block];
    loadBlock(b);
    if (b.count == 1)
        return unlinkBlock(pos.block, txn);
    markIndexLag();
    --header.numRecords;
    std::string recs = b.records;
    recs.erase(pos.slot * size_t(recordSize), size_t(recordSize));
    const std::string oldImage = blockImage(pos.block);
    txn.writeHeader();
    const uint16_t next = pos.block + 1 < m_chain.size() ? m_chain[pos.block + 1].number : 0;
    const uint16_t prev = pos.block > 0 ? m_chain[pos.block - 1].number : 0;
    // As for an insert: the block's header and the records that move down, plus the
    // slot they leave at the end, written as zeros so that a deleted row's bytes do
    // not stay readable on disk.
    const std::string image = makeBlock(blockSize, recordSize, next, prev, recs);
    const size_t from = 6 + pos.slot * size_t(recordSize);
    const size_t end = 6 + recs.size() + size_t(recordSize);
    txn.write(headerOffsetOf(b.number), image.substr(0, 6), oldImage.substr(0, 6), true);
    txn.write(headerOffsetOf(b.number) + from, image.substr(from, end - from),
              oldImage.substr(from, end - from), true);
    b.records = std::move(recs);
    --b.count;
    b.firstKey.assign(b.records.data(), keyWidth);
    shiftPrefix(pos.block, -1);
    if (IndexFiles* ix = indexUpkeep())
        ix->blocksChanged();
    return {};
}

// The block's last row goes: the block leaves the chain (one write: the previous
// block's link, or the header's first-block word), then joins the free list.
std::function<void()> TableData::unlinkBlock(size_t i, WriteTxn& txn) {
    const bool hasPrev = i > 0, hasNext = i + 1 < m_chain.size();
    const uint16_t a = hasPrev ? m_chain[i - 1].number : 0;
    const uint16_t c = hasNext ? m_chain[i + 1].number : 0;
    const uint16_t freed = m_chain[i].number;
    std::string aImage, aOld, cImage;
    if (hasPrev) {
        loadBlock(m_chain[i - 1]);
        aOld = blockImage(i - 1);
        aImage = aOld;
        put16(aImage.data(), 0, c);
    }
    if (hasNext) {
        loadBlock(m_chain[i + 1]);
        cImage = blockImage(i + 1);
        put16(cImage.data(), 2, a);
    }
    markIndexLag();
    --header.numRecords;
    --header.usedBlocks;
    if (!hasPrev)
        header.firstBlock = c;
    if (!hasNext)
        header.lastBlock = a;
    txn.writeHeader();
    if (hasPrev)
        txn.write(headerOffsetOf(a), aImage, aOld, true);
    if (IndexFiles* ix = indexUpkeep())
        ix->blocksChanged();
    m_chain.erase(m_chain.begin() + ptrdiff_t(i));
    m_prefixDirty = true;
    // After the commit: repair the back link, then put the block on the free list
    // (its content first, the header naming it after).
    return [this, hasNext, c, cImage, freed] {
        try {
            if (hasNext)
                file->writeAt(headerOffsetOf(c), cImage.data(), cImage.size());
        } catch (const EngineError&) {
        }
        try {
            const std::string freeImage =
                makeBlock(blockSize, recordSize, header.firstFreeBlock, 0, std::string());
            file->writeAt(headerOffsetOf(freed), freeImage.data(), freeImage.size());
            header.firstFreeBlock = freed;
            header.storeFixedPart();
            file->writeAt(0, header.raw.data(), header.extended ? 0x78 : 0x58);
        } catch (const EngineError&) {
            // Either the block is not on the free list (wasted space), or the header
            // naming it is written with the next change.
        }
    };
}

uint64_t TableData::doUpdate(uint64_t ordinal, const Row& row) {
    ensureWritable();
    const RowPos pos = locate(ordinal);
    const std::string old(record(pos), size_t(recordSize));
    Row filled = row;
    for (size_t i = 0; i < header.fields.size() && i < filled.size(); ++i)
        if (header.fields[i].type == FieldType::AutoInc && filled[i].isNull())
            codec->decode(header.fields[i], old.data(), filled[i]); // keeps its number
    WriteTxn txn(*this);
    std::string rec;
    bool keyChanged = false;
    bool inPlaceKeepsEntries = false;
    const bool filesWereTrue = indexFilesCurrent();
    try {
        rec = encodeRecord(filled, false);
        checkUnique(rec, old.data());
        keyChanged = keyed && std::memcmp(rec.data(), old.data(), keyWidth) != 0;
        inPlaceKeepsEntries = !keyChanged && !changesIndexFields(old.data(), rec.data());
        uint64_t existing;
        if (keyChanged && find(rec.substr(0, keyWidth), existing))
            throw EngineError(ErrorCode::KeyViolation, keyViolationText(path));
        if ((keyChanged || !inPlaceKeepsEntries) && !indexUpkeep())
            loadWalkedOrders(); // kept in step by noteEntries from now on
        if (!keyChanged) {
            // The row keeps its place: its record alone is written.
            checkHeaderAgainstChain();
            checkNeighbourhood(pos.block);
            BlockRef& b = m_chain[pos.block];
            const size_t at = pos.slot * size_t(recordSize);
            markIndexLag();
            txn.writeHeader();
            txn.write(headerOffsetOf(b.number) + 6 + at, rec, old, true);
            std::memcpy(b.records.data() + at, rec.data(), size_t(recordSize));
            if (IndexFiles* ix = indexUpkeep(); ix && !inPlaceKeepsEntries)
                ix->rowChanged(old.data(), rec.data(), b.number, txn);
        }
    } catch (...) {
        txn.rollback();
        throw;
    }
    if (!keyChanged) {
        // The index files still hold every entry when no indexed field changed.
        // Kept in place, they followed.
        if (!indexUpkeep()) {
            m_modified = true;
            if (filesWereTrue && inPlaceKeepsEntries)
                m_ownLag = true;
            else
                m_entriesMoved = true;
        }
        ++generation;
        noteEntries(old.data(), ordinal, rec.data());
        releaseBlobs(old.data());
        return ordinal;
    }
    // A new key: the new version goes in, then the old one goes. Both are in the
    // same transaction, so the disk sees either both changes or neither.
    RowPos at;
    try {
        at = insertEncoded(rec, txn);
        if (IndexFiles* ix = indexUpkeep())
            ix->rowAdded(rec.data(), m_chain[at.block].number, txn);
    } catch (...) {
        txn.rollback();
        throw;
    }
    finishInsert(rec, at);
    uint64_t oldOrdinal = 0;
    try {
        if (find(old.substr(0, keyWidth), oldOrdinal))
            doRemove(oldOrdinal);
    } catch (const EngineError&) {
        // Inside an explicit transaction the rest of it goes on: take the new
        // version out again (outside one, the whole operation is dropped anyway).
        uint64_t added = 0;
        try {
            if (find(rec.substr(0, keyWidth), added))
                doRemove(added);
        } catch (const EngineError&) {
        }
        throw;
    }
    uint64_t now = 0;
    find(rec.substr(0, keyWidth), now);
    return now;
}

void TableData::flush() {
    settle();
    if (m_explicitTxn || !m_writable || (!m_modified && header.indexUpdateRequired == 0))
        return;
    // Another program may have committed (and even written the index files) since.
    WriteAccess access(*this);
    if (!m_modified && header.indexUpdateRequired == 0)
        return;
    ensureDirectory();
    // Each index file is written under a temporary name and renamed into place, so
    // it is never seen empty; until the flag below is cleared none of them is used.
    if (keyed) {
        writePrimaryIndex(*this);
        for (SecondaryOrder& o : secondaries())
            if (!o.xPath.empty())
                writeSecondaryIndex(*this, o);
        if (m_durable)
            fileSystem().syncDirectory(path.parent_path());
    }
    autocommit([&] {
        header.indexUpdateRequired = 0;
        header.updateTime = uint32_t(std::time(nullptr));
        header.storeFixedPart();
        file->writeAt(0, header.raw.data(), header.extended ? 0x78 : 0x58);
        return 0;
    });
    m_modified = false;
    m_entriesMoved = false;
    m_ownLag = false;
    m_indexUpkeepRefused = false;
}

} // namespace engine
