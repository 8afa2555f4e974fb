#include "engine/SecondaryIndexWriter.h"

#include "engine/Bytes.h"
#include "engine/ValueCodec.h"

#include <cstring>

namespace engine {

using namespace bytes;

SecondaryIndexWriter::SecondaryIndexWriter(const std::filesystem::path& xPath,
                                           const std::filesystem::path& yPath, int codePage,
                                           size_t keyWidth, IndexTreeWriter::SortKey sortKey)
    : m_x(std::make_unique<IndexBlockFile>(xPath, codePage)),
      m_y(std::make_unique<IndexBlockFile>(yPath, codePage)), m_keyWidth(keyWidth),
      m_sortKey(std::move(sortKey)) {
    if (m_x->recordSize() != keyWidth + 2)
        m_x->damaged("largeur des enregistrements");
    m_tree = std::make_unique<IndexTreeWriter>(*m_y, keyWidth, m_sortKey);
}

std::string SecondaryIndexWriter::keyOf(const std::string& b, size_t slot) const {
    return b.substr(6 + slot * m_x->recordSize(), m_keyWidth);
}

// Where a key in sort form is, or would go: its block, its slot, whether it is there.
SecondaryIndexWriter::Spot SecondaryIndexWriter::locate(std::string_view sortKey) {
    const uint16_t block = m_tree->blockFor(sortKey);
    if (block == 0)
        return {0, 0, false};
    const std::string& b = m_x->block(block);
    size_t lo = 0, hi = m_x->count(b);
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        m_sortKey(b.data() + 6 + mid * m_x->recordSize(), m_probe);
        if (std::string_view(m_probe) < sortKey)
            lo = mid + 1;
        else
            hi = mid;
    }
    bool found = false;
    if (lo < m_x->count(b)) {
        m_sortKey(b.data() + 6 + lo * m_x->recordSize(), m_probe);
        found = std::string_view(m_probe) == sortKey;
    }
    return {block, lo, found};
}

void SecondaryIndexWriter::insert(const std::string& record, WriteTxn& txn) {
    m_sortKey(record.data(), m_sought);
    const Spot spot = locate(m_sought);
    if (spot.found)
        m_x->damaged("entrée déjà présente");
    if (spot.block == 0) {
        if (m_x->header.numRecords != 0 || m_x->header.firstBlock != 0)
            m_x->damaged("arbre vide pour des enregistrements");
        const uint16_t n = m_x->allocate(txn);
        m_x->linkAfter(0, n, txn);
        std::string image = m_x->block(n);
        std::memcpy(image.data() + 6, record.data(), record.size());
        put16(image.data(), 4, 0);
        m_x->write(n, std::move(image), 6, 6 + record.size(), txn);
        m_tree->insertAfter({}, 0, record, n, 1, txn);
    } else {
        insertAt(spot.block, spot.slot, record, txn);
    }
    ++m_x->header.numRecords;
    m_x->writeHeader(txn);
}

void SecondaryIndexWriter::insertAt(uint16_t block, size_t slot, const std::string& record,
                                    WriteTxn& txn) {
    const std::string& b = m_x->block(block);
    const size_t rs = m_x->recordSize(), count = m_x->count(b);
    const std::string oldFirst = keyOf(b, 0);
    if (count >= m_x->capacity()) {
        std::string records = b.substr(6, count * rs);
        records.insert(slot * rs, record);
        return split(block, std::move(records), slot, txn);
    }
    // The block has room: the later records move up one slot within its image.
    std::string& image = m_x->edit(block);
    char* at = image.data() + 6 + slot * rs;
    std::memmove(at + rs, at, (count - slot) * rs);
    std::memcpy(at, record.data(), rs);
    put16(image.data(), 4, uint16_t(int16_t(count * rs)));
    m_x->writeEdited(block, 6 + slot * rs, 6 + (count + 1) * rs, txn);
    const std::string newFirst = image.substr(6, m_keyWidth);
    m_tree->update(oldFirst, block, newFirst, uint32_t(count + 1), txn);
}

void SecondaryIndexWriter::split(uint16_t block, std::string records, size_t slot, WriteTxn& txn) {
    const std::string b = m_x->block(block);
    const size_t rs = m_x->recordSize(), total = records.size() / rs;
    const std::string oldFirst = keyOf(b, 0);
    const bool atEnd = IndexBlockFile::next(b) == 0 && slot + 1 == total;
    const size_t keep = atEnd ? total - 1 : (total + 1) / 2;
    const uint16_t added = m_x->allocate(txn);
    std::string moved = m_x->block(added);
    std::memcpy(moved.data() + 6, records.data() + keep * rs, (total - keep) * rs);
    put16(moved.data(), 4, uint16_t(int16_t((total - keep - 1) * rs)));
    m_x->write(added, std::move(moved), 6, 6 + (total - keep) * rs, txn);
    std::string kept = b;
    std::memset(kept.data() + 6, 0, kept.size() - 6);
    std::memcpy(kept.data() + 6, records.data(), keep * rs);
    put16(kept.data(), 4, uint16_t(int16_t((keep - 1) * rs)));
    m_x->write(block, std::move(kept), 6, 6 + (total - 1) * rs, txn);
    m_x->linkAfter(block, added, txn);
    const std::string newFirst = records.substr(0, m_keyWidth);
    m_tree->update(oldFirst, block, newFirst, uint32_t(keep), txn);
    m_tree->insertAfter(newFirst, block, records.substr(keep * rs, m_keyWidth), added,
                        uint32_t(total - keep), txn);
}

void SecondaryIndexWriter::remove(std::string_view key, WriteTxn& txn) {
    m_sortKey(key.data(), m_sought);
    const Spot spot = locate(m_sought);
    if (!spot.found)
        m_x->damaged("entrée absente");
    const std::string& b = m_x->block(spot.block);
    const size_t rs = m_x->recordSize(), count = m_x->count(b);
    const std::string oldFirst = keyOf(b, 0);
    if (count == 1) {
        m_x->unlink(spot.block, txn);
        m_tree->remove(oldFirst, spot.block, txn);
    } else {
        std::string image = b;
        std::memmove(image.data() + 6 + spot.slot * rs, image.data() + 6 + (spot.slot + 1) * rs,
                     (count - spot.slot - 1) * rs);
        std::memset(image.data() + 6 + (count - 1) * rs, 0, rs); // no stale bytes after
        put16(image.data(), 4, uint16_t(int16_t((count - 2) * rs)));
        const std::string newFirst = image.substr(6, m_keyWidth);
        m_x->write(spot.block, std::move(image), 6 + spot.slot * rs, 6 + count * rs, txn);
        m_tree->update(oldFirst, spot.block, newFirst, uint32_t(count - 1), txn);
    }
    --m_x->header.numRecords;
    m_x->writeHeader(txn);
}

void SecondaryIndexWriter::rehint(std::string_view key, uint16_t block, WriteTxn& txn) {
    m_sortKey(key.data(), m_sought);
    const Spot spot = locate(m_sought);
    if (!spot.found)
        m_x->damaged("entrée absente");
    std::string image = m_x->block(spot.block);
    const size_t at = 6 + spot.slot * m_x->recordSize() + m_keyWidth;
    codec::encodeInt(image.data() + at, 2, block);
    m_x->write(spot.block, std::move(image), at, at + 2, txn);
}

bool SecondaryIndexWriter::holdsOther(std::string_view sortPrefix, std::string_view except) {
    uint16_t block = m_tree->blockFor(sortPrefix);
    for (size_t seen = 0; block != 0 && seen < 0x10000; ++seen) {
        const std::string& b = m_x->block(block);
        for (size_t s = 0; s < m_x->count(b); ++s) {
            const char* rec = b.data() + 6 + s * m_x->recordSize();
            m_sortKey(rec, m_probe);
            const int c = m_probe.compare(0, sortPrefix.size(), sortPrefix);
            if (c < 0)
                continue;
            if (c > 0)
                return false;
            if (except.empty() ||
                std::string_view(rec + m_keyWidth - except.size(), except.size()) != except)
                return true;
        }
        block = IndexBlockFile::next(b);
    }
    return false;
}

} // namespace engine
