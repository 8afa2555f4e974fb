#include "engine/IndexTreeReader.h"

#include "engine/Bytes.h"
#include "engine/EngineError.h"
#include "engine/KeyBytes.h"
#include "engine/ValueCodec.h"

#include <algorithm>
#include <cstring>

namespace engine {

using namespace bytes;

namespace {

constexpr int kMaxLevels = 8;

std::string blockText(uint16_t number) {
    return "le bloc " + std::to_string(number);
}

} // namespace

IndexTreeReader::IndexTreeReader(Source tree, Source sorted, size_t keyBytes,
                                 KeyTransform transform)
    : m_tree(std::move(tree)), m_sorted(std::move(sorted)), m_keyBytes(keyBytes),
      m_transform(std::move(transform)) {
    if (m_tree.owned)
        m_tree.file = m_tree.owned.get();
    if (m_sorted.owned)
        m_sorted.file = m_sorted.owned.get();
    for (const Source* s : {&m_tree, &m_sorted}) {
        const int recordSize = s == &m_tree ? int(m_keyBytes) + 6 : s->header.recordSize;
        if (s->header.recordSize != recordSize || size_t(recordSize) < m_keyBytes ||
            s->header.blockSize() < recordSize + 6)
            damaged(*s, "en-tête incohérent");
    }
    if (m_tree.header.indexLevels > kMaxLevels)
        damaged(m_tree, "arbre trop profond");
    m_indexBlocks.resize(size_t(m_tree.header.availableBlocks(m_tree.file->size())) + 1);
    m_sortedBlocks.resize(size_t(m_sorted.header.availableBlocks(m_sorted.file->size())) + 1);
}

void IndexTreeReader::damaged(const Source& where, const std::string& why) const {
    throw EngineError(ErrorCode::IndexOutOfDate, "Index " + quoted(where.path) +
                                                     " inutilisable : " + why +
                                                     " ; les lignes sont relues à la place");
}

std::unique_ptr<IndexTreeReader::Block>
IndexTreeReader::readBlock(const Source& from, uint16_t number, size_t recordSize,
                           std::vector<std::unique_ptr<Block>>& cache) {
    if (number == 0 || number >= cache.size())
        damaged(from, blockText(number) + " est hors du fichier");
    const size_t size = size_t(from.header.blockSize());
    auto b = std::make_unique<Block>();
    b->image.reset(new char[size]);
    const uint64_t off = from.header.headerSize + uint64_t(number - 1) * size;
    const size_t got = from.file->readAt(off, b->image.get(), size);
    const int lastOffset = got >= 6 ? s16(b->image.get(), 4) : -1;
    if (lastOffset < 0 || size_t(lastOffset) % recordSize != 0 ||
        size_t(lastOffset) + recordSize + 6 > got)
        damaged(from, blockText(number) + " est vide ou mal formé");
    b->next = u16(b->image.get(), 0);
    b->prev = u16(b->image.get(), 2);
    b->count = uint32_t(size_t(lastOffset) / recordSize + 1);
    b->recordSize = recordSize;
    b->records = b->image.get() + 6;
    return b;
}

std::string_view IndexTreeReader::makeKey(Block& b, uint32_t i) {
    const char* raw = b.records + size_t(i) * b.recordSize;
    if (!b.keys) {
        b.keys.reset(new char[size_t(b.count) * m_keyBytes]);
        b.made.assign(b.count, 0);
    }
    char* made = b.keys.get() + size_t(i) * m_keyBytes;
    if (!b.made[i]) {
        m_transform(raw, made);
        b.made[i] = 1;
    }
    return std::string_view(made, m_keyBytes);
}

uint32_t IndexTreeReader::search(Block& b, std::string_view wanted, bool upper) {
    const size_t n = std::min(wanted.size(), m_keyBytes);
    uint32_t lo = 0, hi = b.count;
    while (lo < hi) {
        const uint32_t mid = lo + (hi - lo) / 2;
        // An empty key compares equal to every key (and memcmp takes no null pointer).
        const int c = keybytes::compare(key(b, mid).data(), wanted.data(), n);
        if (upper ? c <= 0 : c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

IndexTreeReader::Block& IndexTreeReader::indexBlock(uint16_t number) {
    if (number < m_indexBlocks.size() && m_indexBlocks[number])
        return *m_indexBlocks[number];
    auto b = readBlock(m_tree, number, m_keyBytes + 6, m_indexBlocks);
    for (uint32_t i = 0; i < b->count; ++i) {
        const char* entry = b->records + size_t(i) * b->recordSize;
        int64_t child = 0, count = 0;
        if (!codec::decodeInt(entry + m_keyBytes, 2, child) ||
            !codec::decodeInt(entry + m_keyBytes + 2, 2, count) || child <= 0 || child > 0xFFFF ||
            count < 0 || (i > 0 && keybytes::compare(key(*b, i - 1), key(*b, i)) >= 0))
            damaged(m_tree, "une entrée du bloc " + std::to_string(number) + " est illisible");
        b->children.push_back(uint16_t(child));
        b->counts.push_back(uint32_t(count));
    }
    m_indexBlocks[number] = std::move(b);
    return *m_indexBlocks[number];
}

IndexTreeReader::Block& IndexTreeReader::sortedBlock(uint16_t number) {
    if (number < m_sortedBlocks.size() && m_sortedBlocks[number])
        return *m_sortedBlocks[number];
    auto b = readBlock(m_sorted, number, size_t(m_sorted.header.recordSize), m_sortedBlocks);
    b->firstPrefix = keybytes::prefix(key(*b, 0));
    b->lastPrefix = keybytes::prefix(key(*b, b->count - 1));
    m_sortedBlocks[number] = std::move(b);
    return *m_sortedBlocks[number];
}

// The block of the sorted file where a search for key starts: in each index block the
// last entry whose key is below key (not above it for an upper bound), or the last
// entry for the rightmost leaf. The block must match the entry that names it.
uint16_t IndexTreeReader::leafUnder(std::string_view wanted, bool upper, bool rightmost) {
    uint16_t number = m_tree.header.indexRoot;
    for (int level = m_tree.header.indexLevels; level >= 1; --level) {
        Block& b = indexBlock(number);
        uint32_t i = b.count - 1;
        if (!rightmost) {
            i = search(b, wanted, upper);
            i = i > 0 ? i - 1 : 0;
        }
        number = b.children[i];
        if (level == 1) {
            Block& leaf = sortedBlock(number);
            if (leaf.count != b.counts[i] || key(leaf, 0) != key(b, i))
                damaged(m_tree, blockText(number) + " ne correspond pas à son entrée");
        }
    }
    return number;
}

bool IndexTreeReader::descend(std::string_view wanted, bool upper, TreeSpot& at) {
    if (m_tree.header.indexLevels == 0)
        return false;
    const uint16_t number = leafUnder(wanted, upper, false);
    Block& leaf = sortedBlock(number);
    const uint32_t slot = search(leaf, wanted, upper);
    if (slot < leaf.count) {
        if (slot > 0 && key(leaf, slot - 1) >= key(leaf, slot))
            damaged(m_sorted,
                    "les clés du bloc " + std::to_string(number) + " ne sont pas en ordre");
        at = {number, slot};
        return true;
    }
    at = {number, leaf.count - 1};
    return next(at);
}

bool IndexTreeReader::lowerBoundNear(std::string_view wanted, TreeSpot& at) {
    const uint16_t hint = at.block;
    const size_t n = std::min(wanted.size(), m_keyBytes);
    if (n > 0 && hint < m_sortedBlocks.size() && m_sortedBlocks[hint]) {
        Block& b = *m_sortedBlocks[hint];
        // Keys ascend across the leaves: past the block's first key and not past its
        // last, the first key not below the wanted one is in the block.
        const auto below = [&](uint32_t i) {
            return keybytes::compare(key(b, i).data(), wanted.data(), n) < 0;
        };
        if (below(0) && !below(b.count - 1)) {
            // Mostly the range that follows the spot's own: it starts at the next slot.
            const uint32_t next = at.slot + 1;
            const bool atNext = at.slot < next && next < b.count && below(at.slot) && !below(next);
            const uint32_t slot = atNext ? next : search(b, wanted, false);
            if (keybytes::compare(key(b, slot - 1), key(b, slot)) >= 0)
                damaged(m_sorted,
                        "les clés du bloc " + std::to_string(hint) + " ne sont pas en ordre");
            at.slot = slot;
            return true;
        }
    }
    return descend(wanted, false, at);
}

bool IndexTreeReader::findAdjacent(std::string_view wanted, TreeSpot& at) {
    const uint16_t hint = at.block;
    if (hint >= m_sortedBlocks.size() || !m_sortedBlocks[hint] || wanted.size() != m_keyBytes)
        return false;
    Block& b = *m_sortedBlocks[hint];
    for (const uint32_t slot : {at.slot + 1, at.slot}) {
        if (slot < b.count && keybytes::same(key(b, slot), wanted)) {
            at.slot = slot;
            return true;
        }
    }
    return false;
}

bool IndexTreeReader::findExact(std::string_view wanted, TreeSpot& at) {
    const uint16_t hint = at.block;
    if (hint < m_sortedBlocks.size() && m_sortedBlocks[hint] && wanted.size() == m_keyBytes) {
        Block& b = *m_sortedBlocks[hint];
        // Keys ascend across the leaves of a tree, so a key between the first and the
        // last of this leaf can only be in it.
        if (encloses(b, wanted))
            return findInBlock(hint, wanted, at);
    }
    return descend(wanted, false, at) && keyAt(at) == wanted;
}

bool IndexTreeReader::encloses(Block& b, std::string_view wanted) {
    const uint64_t w = keybytes::prefix(wanted);
    if (w < b.firstPrefix || w > b.lastPrefix)
        return false;
    return (w > b.firstPrefix || keybytes::compare(key(b, 0), wanted) <= 0) &&
           (w < b.lastPrefix || keybytes::compare(wanted, key(b, b.count - 1)) <= 0);
}

// Where `wanted` would sit in the block if its keys were spread evenly between the first
// and the last: the very slot for keys numbered in sequence, as a primary key of row
// numbers mostly is. One probe instead of a search that touches a line of memory per
// step in a block nothing has read lately; findInBlock checks it and searches otherwise.
uint32_t IndexTreeReader::guess(Block& b, std::string_view wanted) {
    if (b.count < 3)
        return 0;
    const uint64_t lo = b.firstPrefix, hi = b.lastPrefix;
    const uint64_t w = keybytes::prefix(wanted);
    if (lo >= hi || w < lo || w > hi)
        return 0;
    const double share = double(w - lo) / double(hi - lo);
    return std::min(uint32_t(share * double(b.count - 1) + 0.5), b.count - 1);
}

bool IndexTreeReader::findInBlock(uint16_t number, std::string_view wanted, TreeSpot& at) {
    Block& b = sortedBlock(number);
    uint32_t slot = guess(b, wanted);
    if (slot >= b.count || !keybytes::same(key(b, slot), wanted))
        slot = search(b, wanted, false);
    if (slot >= b.count || !keybytes::same(key(b, slot), wanted))
        return false;
    if (slot > 0 && keybytes::compare(key(b, slot - 1), key(b, slot)) >= 0)
        damaged(m_sorted, "les clés du bloc " + std::to_string(number) + " ne sont pas en ordre");
    at = {number, slot};
    return true;
}

bool IndexTreeReader::last(TreeSpot& at) {
    if (m_tree.header.indexLevels == 0)
        return false;
    const uint16_t number = leafUnder({}, false, true);
    at = {number, sortedBlock(number).count - 1};
    return true;
}

// Along the chain of the sorted file; each step checks that keys ascend, which also
// rules out a chain that loops.
bool IndexTreeReader::next(TreeSpot& at) {
    std::string_view ignored;
    return next(at, ignored);
}

bool IndexTreeReader::next(TreeSpot& at, std::string_view& keyThere) {
    Block& b = sortedBlock(at.block);
    if (at.slot >= b.count)
        damaged(m_sorted, blockText(at.block) + " a moins de lignes qu'attendu");
    TreeSpot to{at.block, at.slot + 1};
    if (to.slot == b.count) {
        if (b.next == 0)
            return false;
        to = {b.next, 0};
    }
    Block& n = to.block == at.block ? b : sortedBlock(to.block);
    keyThere = key(n, to.slot);
    if (keybytes::compare(keyThere, key(b, at.slot)) <= 0)
        damaged(m_sorted, "les clés ne sont pas en ordre après " + blockText(at.block));
    at = to;
    return true;
}

bool IndexTreeReader::prior(TreeSpot& at) {
    std::string_view ignored;
    return prior(at, ignored);
}

bool IndexTreeReader::prior(TreeSpot& at, std::string_view& keyThere) {
    Block& b = sortedBlock(at.block);
    if (at.slot >= b.count)
        damaged(m_sorted, blockText(at.block) + " a moins de lignes qu'attendu");
    TreeSpot to{at.block, at.slot - 1};
    if (at.slot == 0) {
        if (b.prev == 0)
            return false;
        to = {b.prev, sortedBlock(b.prev).count - 1};
    }
    Block& p = sortedBlock(to.block);
    keyThere = key(p, to.slot);
    if (keybytes::compare(keyThere, key(b, at.slot)) >= 0)
        damaged(m_sorted, "les clés ne sont pas en ordre avant " + blockText(at.block));
    at = to;
    return true;
}

std::string_view IndexTreeReader::keyAt(const TreeSpot& at) {
    Block& b = sortedBlock(at.block);
    if (at.slot >= b.count)
        damaged(m_sorted, blockText(at.block) + " a moins de lignes qu'attendu");
    return key(b, at.slot);
}

const char* IndexTreeReader::recordAt(const TreeSpot& at) {
    Block& b = sortedBlock(at.block);
    if (at.slot >= b.count)
        damaged(m_sorted, blockText(at.block) + " a moins de lignes qu'attendu");
    return b.records + size_t(at.slot) * b.recordSize;
}

uint64_t IndexTreeReader::countWithPrefix(TreeSpot from, std::string_view prefix) {
    uint64_t n = 0;
    for (TreeSpot at = from;;) {
        Block& b = sortedBlock(at.block);
        const uint32_t end = search(b, prefix, true);
        if (end <= at.slot)
            return n;
        n += end - at.slot;
        TreeSpot tail{at.block, b.count - 1};
        if (end < b.count || !next(tail))
            return n;
        at = tail;
    }
}

} // namespace engine
