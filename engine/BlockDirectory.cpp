// The block directory of a table: the chained blocks with their row counts and first
// keys, built from a fresh .PX (no data read) or by walking the chain, and the
// positioning on it (ordinal to block and slot, key bounds, exact lookups).
//
// A row reached by its key alone (from a secondary index entry) does not need the
// directory: while the .PX matches the rows, its tree leads to the one data block.

#include "engine/TableData.h"

#include "engine/Bytes.h"
#include "engine/EngineError.h"
#include "engine/IndexFiles.h"
#include "engine/IndexTreeReader.h"
#include "engine/ValueCodec.h"

#include <algorithm>
#include <cstring>

namespace engine {

using namespace bytes;

namespace {

// Tables up to this size keep the blocks read while building the directory.
constexpr uint64_t kKeepImagesUpTo = 64u << 20;

} // namespace

void TableData::walkChain() {
    checkReadable();
    // A walk stopped by damage leaves no half directory behind.
    m_haveDirectory = false;
    m_chain.clear();
    m_linksChecked.clear();
    m_directoryFromIndex = false;
    const bool keep = file->size() <= kKeepImagesUpTo;
    walkBlocks(*file, header, [&](uint16_t number, const char* recs, uint32_t count) {
        BlockRef ref;
        ref.number = number;
        ref.count = count;
        ref.firstKey.assign(recs, keyWidth);
        if (keep) {
            ref.records.assign(recs, size_t(count) * size_t(recordSize));
            ref.loaded = true;
        }
        m_chain.push_back(std::move(ref));
        return true;
    });
    m_haveDirectory = true;
    m_prefixDirty = true;
}

void TableData::ensureDirectory() {
    settle();
    if (!m_haveDirectory) {
        recoverIfNeeded();
        if (!m_haveDirectory && !directoryFromPrimaryIndex())
            walkChain();
    }
}

// The level-1 entries of a fresh .PX list the chained blocks with their first keys and
// counts: the directory without reading the data. Fresh means: no index update pending,
// same level and key fields, and entries that agree with the header counters. Each
// block is still checked against its entry when it is read (loadBlock).
bool TableData::directoryFromPrimaryIndex() {
    if (!keyed || m_primaryIndexUntrusted || header.indexUpdateRequired != 0)
        return false;
    checkReadable();
    try {
        // Kept in place in this transaction, the .PX is read through its pending writes.
        std::unique_ptr<File> opened;
        File* f = m_indexFiles ? &m_indexFiles->primary().file() : nullptr;
        if (!f) {
            const std::filesystem::path pxPath = companionPath(path, ".PX");
            if (!fileSystem().exists(pxPath))
                return false;
            opened = fileSystem().open(pxPath, OpenMode::Read);
            f = opened.get();
        }
        const TableHeader px = TableHeader::read(*f, header.codePage);
        if (!primaryHeaderFits(px))
            return false;
        std::vector<BlockRef> leaves;
        if (px.indexLevels > 0 && !readIndexLevel(*f, px, px.indexRoot, px.indexLevels, leaves))
            return false;
        const uint32_t dataBlocks = header.availableBlocks(file->size());
        std::vector<bool> seen(size_t(dataBlocks) + 1, false);
        uint64_t rows = 0;
        for (size_t i = 0; i < leaves.size(); ++i) {
            const BlockRef& b = leaves[i];
            if (b.number == 0 || b.number > dataBlocks || seen[b.number] || b.count == 0 ||
                b.count > uint32_t(capacity) || (i > 0 && leaves[i - 1].firstKey >= b.firstKey))
                return false;
            seen[b.number] = true;
            rows += b.count;
        }
        if (rows != header.numRecords || leaves.size() != header.usedBlocks ||
            (leaves.empty() ? header.firstBlock != 0
                            : leaves.front().number != header.firstBlock ||
                                  leaves.back().number != header.lastBlock))
            return false;
        m_chain = std::move(leaves);
        m_linksChecked.clear();
        m_haveDirectory = true;
        m_directoryFromIndex = true;
        m_prefixDirty = true;
        return true;
    } catch (const EngineError&) {
        return false;
    }
}

// A .PX header for this table's key: same level, key fields and entry width.
bool TableData::primaryHeaderFits(const TableHeader& px) const {
    if (px.fileType != ftPrimaryIndex || px.version != header.version ||
        size_t(px.recordSize) != keyWidth + 6 || px.numFields != header.keyFields ||
        px.fields.size() < size_t(header.keyFields) || px.indexLevels > 8)
        return false;
    for (int i = 0; i < header.keyFields; ++i)
        if (px.fields[size_t(i)].type != header.fields[size_t(i)].type ||
            px.fields[size_t(i)].size != header.fields[size_t(i)].size)
            return false;
    return true;
}

// The .PX over the .DB, for the current generation and descriptor (it reads the rows
// through the table's own descriptor: a second one would cost the process its locks
// when closed); nullptr while the index files lag behind the rows, or when the .PX is
// missing, foreign or was found wrong.
IndexTreeReader* TableData::primaryTree() {
    if (m_primaryTreeLooked && m_primaryTreeGeneration == generation &&
        m_primaryTreeFile == file.get())
        return m_primaryTree.get();
    dropReader(m_primaryTree);
    m_primaryTreeLooked = false; // until the look ends (a step from memory may cut it short)
    m_primaryTree = openPrimaryTree();
    m_primaryTreeLooked = true;
    m_primaryTreeGeneration = generation;
    m_primaryTreeFile = file.get();
    return m_primaryTree.get();
}

std::shared_ptr<IndexTreeReader> TableData::openPrimaryTree() {
    if (m_primaryIndexUntrusted || !indexFilesCurrent())
        return nullptr;
    checkReadable();
    try {
        IndexTreeReader::Source px, rows;
        px.path = companionPath(path, ".PX");
        if (!fileSystem().exists(px.path))
            return nullptr;
        px.owned = fileSystem().open(px.path, OpenMode::Read);
        px.header = TableHeader::read(*px.owned, header.codePage);
        if (!primaryHeaderFits(px.header) || (header.numRecords > 0) != (px.header.indexLevels > 0))
            return nullptr;
        rows.file = file.get();
        rows.header = header;
        rows.path = path;
        // Primary keys compare as stored: no transform.
        return std::make_shared<IndexTreeReader>(std::move(px), std::move(rows), keyWidth,
                                                 IndexTreeReader::KeyTransform());
    } catch (const EngineError&) {
        return nullptr;
    }
}

const char* TableData::recordByKey(std::string_view key) {
    return recordByKey(key, m_lastPrimarySpot);
}

const char* TableData::recordByKey(std::string_view key, TreeSpot& near) {
    settle();
    if (!m_haveDirectory) {
        if (IndexTreeReader* px = primaryTree()) {
            try {
                if (!findInPrimaryTree(*px, key, near))
                    return nullptr;
                m_lastPrimarySpot = near;
                return px->recordAt(near);
            } catch (const EngineError& e) {
                distrustPrimaryIndex(e);
            }
        }
    }
    uint64_t ordinal;
    if (!find(std::string(key), ordinal))
        return nullptr;
    return record(locate(ordinal));
}

// A walk through a secondary order mostly reaches neighbouring rows: the one after the
// caller's last row, or the one another cursor has just reached (a detail view starting
// on the row its master stands on, a master passing over the rows its detail showed).
bool TableData::findInPrimaryTree(IndexTreeReader& px, std::string_view key, TreeSpot& near) {
    if (px.findAdjacent(key, near))
        return true;
    TreeSpot other = m_lastPrimarySpot;
    if (px.findAdjacent(key, other)) {
        near = other;
        return true;
    }
    return px.findExact(key, near);
}

// Only rows found through the .PX reader are kept: its blocks stay in memory as long as
// it lives, while the directory's may be dropped.
void TableData::noteRowReached(const IndexTreeReader& tree, const TreeSpot& entry,
                               const char* rec) {
    if (!m_haveDirectory && m_primaryTree)
        m_reached.note({&tree, generation, m_readerEpoch}, entry, rec);
}

// A .PX found out of date while reaching a row in place: from now on the directory
// walks the chain instead. Any other error is the caller's to report.
void TableData::distrustPrimaryIndex(const EngineError& e) {
    if (e.code() != ErrorCode::IndexOutOfDate)
        throw; // called from a handler: the exception being handled goes on
    m_primaryIndexUntrusted = true;
    dropReader(m_primaryTree);
    m_primaryTreeLooked = false;
}

const char* TableData::firstRecordInPlace() {
    settle();
    if (m_haveDirectory)
        return nullptr;
    IndexTreeReader* px = primaryTree();
    if (!px)
        return nullptr;
    try {
        TreeSpot at;
        return px->lowerBound(std::string_view(), at) ? px->recordAt(at) : nullptr;
    } catch (const EngineError& e) {
        distrustPrimaryIndex(e);
        return nullptr;
    }
}

// Reaching the last row (to number after it) descends the .PX along its right edge; the
// row count comes from the header, bounded by what the file can hold.
const char* TableData::lastRecordInPlace(uint64_t& rows) {
    settle();
    if (!keyed || !rowCountFromHeader(rows) || rows == 0 ||
        rows > uint64_t(header.availableBlocks(file->size())) * uint64_t(capacity))
        return nullptr;
    IndexTreeReader* px = primaryTree();
    if (!px)
        return nullptr;
    try {
        TreeSpot at;
        if (!px->last(at) || at.block != header.lastBlock)
            return nullptr;
        return px->recordAt(at);
    } catch (const EngineError& e) {
        distrustPrimaryIndex(e);
        return nullptr;
    }
}

bool TableData::rowCountFromHeader(uint64_t& rows) const {
    if (m_haveDirectory || m_writers > 0 || m_needsRecovery || header.indexUpdateRequired != 0)
        return false;
    rows = header.numRecords;
    return true;
}

// Collects the level-1 entries under an index block, in order. False on any doubt.
bool TableData::readIndexLevel(File& f, const TableHeader& px, uint16_t block, int level,
                               std::vector<BlockRef>& out) {
    const uint32_t available = px.availableBlocks(f.size());
    if (block == 0 || block > available || out.size() > 0xFFFF)
        return false;
    std::string image(size_t(px.blockSize()), '\0');
    const uint64_t off = px.headerSize + uint64_t(block - 1) * uint64_t(px.blockSize());
    const size_t got = f.readAt(off, image.data(), image.size());
    const int lastOffset = got >= 6 ? s16(image.data(), 4) : -1;
    if (lastOffset < 0 || lastOffset % px.recordSize != 0 ||
        size_t(lastOffset) + px.recordSize + 6 > got)
        return false;
    const size_t count = size_t(lastOffset / px.recordSize) + 1;
    for (size_t e = 0; e < count; ++e) {
        const char* entry = image.data() + 6 + e * px.recordSize;
        int64_t target = 0, rows = 0;
        if (!codec::decodeInt(entry + keyWidth, 2, target) ||
            !codec::decodeInt(entry + keyWidth + 2, 2, rows) || target <= 0)
            return false;
        if (level == 1) {
            BlockRef b;
            b.number = uint16_t(target);
            b.count = uint32_t(std::max<int64_t>(rows, 0));
            b.firstKey.assign(entry, keyWidth);
            out.push_back(std::move(b));
        } else if (level > 1 && !readIndexLevel(f, px, uint16_t(target), level - 1, out)) {
            return false;
        }
    }
    return true;
}

void TableData::loadBlock(BlockRef& b) {
    if (b.loaded)
        return;
    std::string image;
    readBlock(b.number, image);
    const int lastOffset = s16(image.data(), 4);
    const uint32_t count = lastOffset < 0 ? 0 : uint32_t(lastOffset / recordSize) + 1;
    if (m_directoryFromIndex) {
        // The .PX gave the chain's order: a next link that says otherwise means the
        // chain on disk is not the one the index describes.
        const size_t i = size_t(&b - m_chain.data());
        const uint16_t wantNext = i + 1 < m_chain.size() ? m_chain[i + 1].number : 0;
        if (u16(image.data(), 0) != wantNext)
            rewalkAfterMismatch(b.number, linkDamage(i, image.data()));
    }
    if (count != b.count ||
        (keyed && std::memcmp(image.data() + 6, b.firstKey.data(), keyWidth) != 0)) {
        const uint16_t number = b.number;
        // The chain on disk decides between a stale .PX and damaged rows.
        if (m_directoryFromIndex)
            rewalkAfterMismatch(number, "le bloc " + std::to_string(number) +
                                            " ne correspond pas à son entrée");
        // Forget the directory: the next access walks the chain itself.
        m_haveDirectory = false;
        m_chain.clear();
        m_prefixDirty = true;
        for (SecondaryOrder& o : m_secondary)
            o.built = false;
        ++generation;
        throwCorrupt(path, "le bloc " + std::to_string(number) + " a changé sur le disque");
    }
    b.records.assign(image.data() + 6, size_t(count) * size_t(recordSize));
    b.loaded = true;
}

void TableData::rebuildPrefix() {
    m_prefix.resize(m_chain.size() + 1);
    uint64_t total = 0;
    for (size_t i = 0; i < m_chain.size(); ++i) {
        m_prefix[i] = total;
        total += m_chain[i].count;
    }
    m_prefix[m_chain.size()] = total;
    m_prefixDirty = false;
}

uint64_t TableData::rowCount() {
    ensureDirectory();
    if (m_prefixDirty)
        rebuildPrefix();
    return m_prefix.back();
}

RowPos TableData::locate(uint64_t ordinal) {
    if (ordinal >= rowCount())
        throw EngineError(ErrorCode::NoCurrentRow, "Aucune ligne courante dans " + quoted(path));
    auto it = std::upper_bound(m_prefix.begin(), m_prefix.end(), ordinal);
    const size_t block = size_t(it - m_prefix.begin()) - 1;
    return {block, size_t(ordinal - m_prefix[block])};
}

uint64_t TableData::ordinalOf(RowPos pos) {
    rowCount();
    return m_prefix[pos.block] + pos.slot;
}

const char* TableData::record(RowPos pos) {
    BlockRef& b = m_chain[pos.block];
    loadBlock(b);
    return b.records.data() + pos.slot * size_t(recordSize);
}

namespace {
int compareN(const char* a, const std::string& key) {
    return std::memcmp(a, key.data(), key.size());
}
} // namespace

// First row whose key compares above the key (upper) or not below it (lower), on
// key.size() bytes: the answer is in the last block whose first key is on the near
// side of the key, or at the start of the next block.
uint64_t TableData::bound(const std::string& key, bool upper) {
    const uint64_t n = rowCount();
    if (n == 0)
        return 0;
    const auto before = [&](const char* rowKey) {
        const int c = compareN(rowKey, key);
        return upper ? c <= 0 : c < 0;
    };
    auto it = std::partition_point(m_chain.begin(), m_chain.end(),
                                   [&](const BlockRef& b) { return before(b.firstKey.data()); });
    const size_t i = size_t(it - m_chain.begin());
    if (i == 0)
        return 0;
    BlockRef& b = m_chain[i - 1];
    loadBlock(b);
    uint32_t lo = 0, hi = b.count;
    while (lo < hi) {
        const uint32_t mid = (lo + hi) / 2;
        if (before(b.records.data() + size_t(mid) * size_t(recordSize)))
            lo = mid + 1;
        else
            hi = mid;
    }
    return m_prefix[i - 1] + lo;
}

bool TableData::find(const std::string& key, uint64_t& ordinal) {
    ordinal = lowerBound(key);
    if (ordinal >= rowCount())
        return false;
    return compareN(record(locate(ordinal)), key) == 0;
}

} // namespace engine
