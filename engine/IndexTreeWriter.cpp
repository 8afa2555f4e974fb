#include "engine/IndexTreeWriter.h"

#include "engine/Bytes.h"
#include "engine/IndexBlockFile.h"
#include "engine/ValueCodec.h"

#include <algorithm>
#include <cstring>

namespace engine {

using namespace bytes;

IndexTreeWriter::IndexTreeWriter(IndexBlockFile& file, size_t keyWidth, SortKey sortKey)
    : m_file(file), m_keyWidth(keyWidth), m_sortKey(std::move(sortKey)) {
    if (m_file.recordSize() != keyWidth + 6)
        m_file.damaged("largeur des entrées");
}

bool IndexTreeWriter::empty() const {
    return m_file.header.indexLevels == 0;
}

std::vector<IndexTreeWriter::Entry> IndexTreeWriter::entriesOf(uint16_t indexBlock) {
    const std::string& b = m_file.block(indexBlock);
    const size_t n = m_file.count(b);
    std::vector<Entry> out(n);
    for (size_t i = 0; i < n; ++i) {
        const char* e = b.data() + 6 + i * m_file.recordSize();
        int64_t block = 0, count = 0;
        codec::decodeInt(e + m_keyWidth, 2, block);
        codec::decodeInt(e + m_keyWidth + 2, 2, count);
        out[i].key.assign(e, m_keyWidth);
        out[i].block = uint16_t(block);
        out[i].count = uint32_t(std::max<int64_t>(count, 0));
    }
    return out;
}

// The last entry of an index block whose key is not above the one sought (the first
// for a key before all), read from the block's bytes: no entry is copied on the way down.
size_t IndexTreeWriter::choose(const std::string& b, std::string_view sortKey) {
    size_t lo = 1, hi = m_file.count(b);
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        m_sortKey(entryAt(b, mid), m_a);
        if (std::string_view(m_a) <= sortKey)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo - 1;
}

const char* IndexTreeWriter::entryAt(const std::string& b, size_t i) const {
    return b.data() + 6 + i * m_file.recordSize();
}

uint16_t IndexTreeWriter::childAt(const std::string& b, size_t i) const {
    int64_t block = 0;
    codec::decodeInt(entryAt(b, i) + m_keyWidth, 2, block);
    return uint16_t(block);
}

uint16_t IndexTreeWriter::blockFor(std::string_view sortKey) {
    if (empty())
        return 0;
    uint16_t block = m_file.header.indexRoot;
    for (int level = m_file.header.indexLevels; level >= 1; --level) {
        const std::string& b = m_file.block(block);
        if (m_file.count(b) == 0)
            m_file.damaged("bloc d'index vide dans l'arbre");
        block = childAt(b, choose(b, sortKey));
    }
    return block;
}

// The steps from the level-1 block holding the entry of `block` (path[0]) to the root.
std::vector<IndexTreeWriter::Step> IndexTreeWriter::pathTo(std::string_view rawKey,
                                                           uint16_t block) {
    if (empty() || m_file.header.indexLevels > 8)
        m_file.damaged("arbre vide ou trop profond");
    m_sortKey(rawKey.data(), m_b);
    std::vector<Step> path;
    uint16_t at = m_file.header.indexRoot;
    for (int level = m_file.header.indexLevels; level >= 1; --level) {
        const std::string& b = m_file.block(at);
        if (m_file.count(b) == 0)
            m_file.damaged("bloc d'index vide dans l'arbre");
        const size_t pos = choose(b, m_b);
        path.insert(path.begin(), Step{at, pos});
        const uint16_t child = childAt(b, pos);
        if (level == 1 &&
            (child != block || std::memcmp(entryAt(b, pos), rawKey.data(), m_keyWidth) != 0))
            m_file.damaged("pas d'entrée pour le bloc " + std::to_string(block));
        at = child;
    }
    return path;
}

IndexTreeWriter::Entry IndexTreeWriter::summary(uint16_t indexBlock,
                                                const std::vector<Entry>& entries) const {
    uint64_t sum = 0;
    for (const Entry& e : entries)
        sum += e.count;
    return Entry{entries.front().key, indexBlock, uint32_t(std::min<uint64_t>(sum, 32767))};
}

void IndexTreeWriter::store(uint16_t indexBlock, const std::vector<Entry>& entries, WriteTxn& txn) {
    std::string image = m_file.block(indexBlock);
    std::memset(image.data() + 6, 0, image.size() - 6);
    const size_t width = m_file.recordSize();
    put16(image.data(), 4, uint16_t(int16_t((int(entries.size()) - 1) * int(width))));
    for (size_t i = 0; i < entries.size(); ++i) {
        char* e = image.data() + 6 + i * width;
        std::memcpy(e, entries[i].key.data(), m_keyWidth);
        codec::encodeInt(e + m_keyWidth, 2, entries[i].block);
        codec::encodeInt(e + m_keyWidth + 2, 2, std::min<uint32_t>(entries[i].count, 32767));
        codec::encodeInt(e + m_keyWidth + 4, 2, 0);
    }
    const size_t size = image.size();
    m_file.write(indexBlock, std::move(image), 0, size, txn);
}

// Entry path[level].pos of its block becomes the entries `with` (none: it goes).
void IndexTreeWriter::replace(std::vector<Step>& path, size_t level, std::vector<Entry> with,
                              WriteTxn& txn) {
    const Step step = path[level];
    std::vector<Entry> entries = entriesOf(step.block);
    const bool atEnd = step.pos + 1 == entries.size();
    entries.erase(entries.begin() + ptrdiff_t(step.pos));
    entries.insert(entries.begin() + ptrdiff_t(step.pos), with.begin(), with.end());
    m_file.header.numRecords += uint32_t(int64_t(with.size()) - 1);
    if (entries.empty())
        return emptied(path, level, txn);
    if (entries.size() > m_file.capacity()) {
        // Rows appended at the end of the table fill each block before starting one.
        const size_t keep =
            atEnd && with.size() == 2 ? m_file.capacity() : (entries.size() + 1) / 2;
        std::vector<Entry> right(entries.begin() + ptrdiff_t(keep), entries.end());
        entries.resize(keep);
        const uint16_t added = m_file.allocate(txn);
        store(step.block, entries, txn);
        store(added, right, txn);
        if (level == 0)
            m_file.linkAfter(step.block, added, txn);
        else
            m_file.linkBefore(right.front().block, added, txn);
        std::vector<Entry> halves{summary(step.block, entries), summary(added, right)};
        if (level + 1 < path.size())
            return replace(path, level + 1, std::move(halves), txn);
        const uint16_t root = m_file.allocate(txn);
        store(root, halves, txn);
        m_file.linkBefore(step.block, root, txn);
        m_file.header.indexRoot = root;
        ++m_file.header.indexLevels;
        m_file.header.numRecords += 2;
        return;
    }
    store(step.block, entries, txn);
    if (level + 1 < path.size())
        replace(path, level + 1, {summary(step.block, entries)}, txn);
}

void IndexTreeWriter::emptied(std::vector<Step>& path, size_t level, WriteTxn& txn) {
    const uint16_t block = path[level].block;
    if (level + 1 == path.size()) { // the root: the tree is empty now
        store(block, {}, txn);
        m_file.header.indexLevels = 0;
        m_file.header.indexRoot = block;
        return;
    }
    m_file.unlink(block, txn);
    replace(path, level + 1, {}, txn);
}

void IndexTreeWriter::start(std::string_view key, uint16_t block, uint32_t count, WriteTxn& txn) {
    uint16_t root = m_file.header.indexRoot;
    if (root == 0 || root > m_file.header.totalBlocks || m_file.header.firstBlock == 0) {
        root = m_file.allocate(txn);
        m_file.linkAfter(0, root, txn);
    }
    store(root, {Entry{std::string(key.substr(0, m_keyWidth)), block, count}}, txn);
    m_file.header.indexRoot = root;
    m_file.header.indexLevels = 1;
    m_file.header.numRecords = 1;
}

// A leaf's first key or count changed: its entry and the summaries above it change in
// place, entry by entry, up to the first level where nothing changes.
void IndexTreeWriter::update(std::string_view oldKey, uint16_t block, std::string_view newKey,
                             uint32_t count, WriteTxn& txn) {
    const std::vector<Step> path = pathTo(oldKey, block);
    std::string key(newKey.substr(0, m_keyWidth));
    for (const Step& step : path) {
        std::string image = m_file.block(step.block);
        const size_t at = 6 + step.pos * m_file.recordSize();
        char* e = image.data() + at;
        int64_t stored = 0;
        codec::decodeInt(e + m_keyWidth + 2, 2, stored);
        if (std::memcmp(e, key.data(), m_keyWidth) == 0 &&
            stored == std::min<uint32_t>(count, 32767))
            break;
        std::memcpy(e, key.data(), m_keyWidth);
        codec::encodeInt(e + m_keyWidth + 2, 2, std::min<uint32_t>(count, 32767));
        key.assign(entryAt(image, 0), m_keyWidth);
        count = countUnder(image);
        m_file.write(step.block, std::move(image), at, at + m_file.recordSize(), txn);
    }
    m_file.writeHeader(txn);
}

uint32_t IndexTreeWriter::countUnder(const std::string& b) const {
    uint64_t sum = 0;
    for (size_t i = 0; i < m_file.count(b); ++i) {
        int64_t count = 0;
        codec::decodeInt(entryAt(b, i) + m_keyWidth + 2, 2, count);
        sum += uint64_t(std::max<int64_t>(count, 0));
    }
    return uint32_t(std::min<uint64_t>(sum, 32767));
}

void IndexTreeWriter::insertAfter(std::string_view afterKey, uint16_t after, std::string_view key,
                                  uint16_t block, uint32_t count, WriteTxn& txn) {
    if (after == 0) {
        if (!empty())
            m_file.damaged("premier bloc d'une table non vide");
        start(key, block, count, txn);
    } else {
        std::vector<Step> path = pathTo(afterKey, after);
        const Entry kept = entriesOf(path[0].block)[path[0].pos];
        replace(path, 0, {kept, Entry{std::string(key.substr(0, m_keyWidth)), block, count}}, txn);
    }
    m_file.writeHeader(txn);
}

void IndexTreeWriter::remove(std::string_view key, uint16_t block, WriteTxn& txn) {
    std::vector<Step> path = pathTo(key, block);
    replace(path, 0, {}, txn);
    m_file.writeHeader(txn);
}

} // namespace engine
