#include "engine/IndexTreeReader.h"

#include "engine/Bytes.h"
#include "engine/EngineError.h"
#include "engine/ValueCodec.h"

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
    std::string image(size, '\0');
    const uint64_t off = from.header.headerSize + uint64_t(number - 1) * size;
    const size_t got = from.file->readAt(off, image.data(), size);
    const int lastOffset = got >= 6 ? s16(image.data(), 4) : -1;
    if (lastOffset < 0 || size_t(lastOffset) % recordSize != 0 ||
        size_t(lastOffset) + recordSize + 6 > got)
        damaged(from, blockText(number) + " est vide ou mal formé");
    auto b = std::make_unique<Block>();
    b->next = u16(image.data(), 0);
    b->prev = u16(image.data(), 2);
    b->count = uint32_t(size_t(lastOffset) / recordSize + 1);
    b->records.assign(image.data() + 6, size_t(b->count) * recordSize);
    for (uint32_t i = 0; i < b->count; ++i) {
        m_transform(b->records.data() + size_t(i) * recordSize, m_scratch);
        if (i == 0)
            b->keys.reset(m_scratch.size());
        if (m_scratch.size() != b->keys.width() || (i > 0 && b->keys[i - 1] >= m_scratch))
            damaged(from, "les clés du bloc " + std::to_string(number) + " ne sont pas en ordre");
        b->keys.append(m_scratch);
    }
    return b;
}

const IndexTreeReader::Block& IndexTreeReader::indexBlock(uint16_t number) {
    if (number < m_indexBlocks.size() && m_indexBlocks[number])
        return *m_indexBlocks[number];
    auto b = readBlock(m_tree, number, m_keyBytes + 6, m_indexBlocks);
    for (uint32_t i = 0; i < b->count; ++i) {
        const char* entry = b->records.data() + size_t(i) * (m_keyBytes + 6);
        int64_t child = 0, count = 0;
        if (!codec::decodeInt(entry + m_keyBytes, 2, child) ||
            !codec::decodeInt(entry + m_keyBytes + 2, 2, count) || child <= 0 || child > 0xFFFF ||
            count < 0)
            damaged(m_tree, "une entrée du bloc " + std::to_string(number) + " est illisible");
        b->children.push_back(uint16_t(child));
        b->counts.push_back(uint32_t(count));
    }
    m_indexBlocks[number] = std::move(b);
    return *m_indexBlocks[number];
}

const IndexTreeReader::Block& IndexTreeReader::sortedBlock(uint16_t number) {
    if (number < m_sortedBlocks.size() && m_sortedBlocks[number])
        return *m_sortedBlocks[number];
    auto b = readBlock(m_sorted, number, size_t(m_sorted.header.recordSize), m_sortedBlocks);
    m_sortedBlocks[number] = std::move(b);
    return *m_sortedBlocks[number];
}

// The block of the sorted file where a search for key starts: in each index block the
// last entry whose key is below key (not above it for an upper bound), or the last
// entry for the rightmost leaf. The block must match the entry that names it.
uint16_t IndexTreeReader::leafUnder(std::string_view key, bool upper, bool rightmost) {
    uint16_t number = m_tree.header.indexRoot;
    for (int level = m_tree.header.indexLevels; level >= 1; --level) {
        const Block& b = indexBlock(number);
        size_t i = b.count - 1;
        if (!rightmost) {
            i = upper ? b.keys.upperBound(key) : b.keys.lowerBound(key);
            i = i > 0 ? i - 1 : 0;
        }
        number = b.children[i];
        if (level == 1) {
            const Block& leaf = sortedBlock(number);
            if (leaf.count != b.counts[i] || leaf.keys[0] != b.keys[i])
                damaged(m_tree, blockText(number) + " ne correspond pas à son entrée");
        }
    }
    return number;
}

bool IndexTreeReader::descend(std::string_view key, bool upper, TreeSpot& at) {
    if (m_tree.header.indexLevels == 0)
        return false;
    const uint16_t number = leafUnder(key, upper, false);
    const Block& leaf = sortedBlock(number);
    const size_t slot = upper ? leaf.keys.upperBound(key) : leaf.keys.lowerBound(key);
    if (slot < leaf.count) {
        at = {number, uint32_t(slot)};
        return true;
    }
    at = {number, leaf.count - 1};
    return next(at);
}

bool IndexTreeReader::last(TreeSpot& at) {
    if (m_tree.header.indexLevels == 0)
        return false;
    const uint16_t number = leafUnder({}, false, true);
    at = {number, sortedBlock(number).count - 1};
    return true;
}

// Along the chain of the sorted file; keys must keep ascending from block to block,
// which also rules out a chain that loops.
bool IndexTreeReader::next(TreeSpot& at) {
    const Block& b = sortedBlock(at.block);
    if (at.slot + 1 < b.count) {
        ++at.slot;
        return true;
    }
    if (b.next == 0)
        return false;
    const Block& n = sortedBlock(b.next);
    if (n.keys[0] <= b.keys[b.count - 1])
        damaged(m_sorted, "la chaîne des blocs n'est pas en ordre après " + blockText(at.block));
    at = {b.next, 0};
    return true;
}

bool IndexTreeReader::prior(TreeSpot& at) {
    const Block& b = sortedBlock(at.block);
    if (at.slot > 0) {
        --at.slot;
        return true;
    }
    if (b.prev == 0)
        return false;
    const Block& p = sortedBlock(b.prev);
    if (p.keys[p.count - 1] >= b.keys[0])
        damaged(m_sorted, "la chaîne des blocs n'est pas en ordre avant " + blockText(at.block));
    at = {b.prev, p.count - 1};
    return true;
}

std::string_view IndexTreeReader::keyAt(const TreeSpot& at) {
    const Block& b = sortedBlock(at.block);
    if (at.slot >= b.count)
        damaged(m_sorted, blockText(at.block) + " a moins de lignes qu'attendu");
    return b.keys[at.slot];
}

const char* IndexTreeReader::recordAt(const TreeSpot& at) {
    const Block& b = sortedBlock(at.block);
    if (at.slot >= b.count)
        damaged(m_sorted, blockText(at.block) + " a moins de lignes qu'attendu");
    return b.records.data() + size_t(at.slot) * size_t(m_sorted.header.recordSize);
}

uint64_t IndexTreeReader::countWithPrefix(TreeSpot from, std::string_view prefix) {
    uint64_t n = 0;
    for (TreeSpot at = from;;) {
        const Block& b = sortedBlock(at.block);
        const size_t end = b.keys.upperBound(prefix);
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
