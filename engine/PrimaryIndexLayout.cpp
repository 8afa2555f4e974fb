#include "engine/PrimaryIndexLayout.h"

#include "engine/Bytes.h"
#include "engine/TableData.h"

#include <algorithm>
#include <cstring>

namespace engine {

namespace {

// The 2-byte order-preserving integers of tree entries (80 01 = 1).
void putTreeInt(char* p, uint32_t v) {
    const uint16_t u = uint16_t(v ^ 0x8000);
    p[0] = char(u >> 8);
    p[1] = char(u & 0xFF);
}

uint32_t treeInt(const char* p) {
    return uint32_t(((uint8_t(p[0]) << 8) | uint8_t(p[1])) ^ 0x8000);
}

} // namespace

const IndexTree& PrimaryIndexLayout::layOut(const std::vector<BlockRef>& chain, size_t keyWidth,
                                            int blockSize) {
    const bool canPatch =
        m_valid && keyWidth == m_keyWidth && size_t(blockSize) == m_blockSize && !chain.empty();
    m_valid = false; // until the layout below is whole
    m_keyWidth = keyWidth;
    m_blockSize = size_t(blockSize);
    m_cap = (m_blockSize - 6) / (keyWidth + 6);
    if (!canPatch || !patch(chain))
        rebuild(chain);
    m_valid = true;
    return m_tree;
}

void PrimaryIndexLayout::rebuild(const std::vector<BlockRef>& chain) {
    std::vector<TreeEntry> leaves;
    leaves.reserve(chain.size());
    for (const BlockRef& b : chain)
        leaves.push_back({b.firstKey, b.number, b.count});
    m_tree = buildIndexTree(leaves, m_keyWidth, int(m_blockSize));
    m_keys.assign(chain.size() * m_keyWidth, '\0');
    m_numbers.resize(chain.size());
    m_counts.resize(chain.size());
    for (size_t i = 0; i < chain.size(); ++i) {
        remember(i, chain[i].firstKey);
        m_numbers[i] = chain[i].number;
        m_counts[i] = chain[i].count;
    }
}

bool PrimaryIndexLayout::sameKey(size_t i, const std::string& key) const {
    return key.size() == m_keyWidth &&
           std::memcmp(m_keys.data() + i * m_keyWidth, key.data(), m_keyWidth) == 0;
}

void PrimaryIndexLayout::remember(size_t i, const std::string& key) {
    char* at = m_keys.data() + i * m_keyWidth;
    std::memset(at, 0, m_keyWidth);
    std::memcpy(at, key.data(), std::min(m_keyWidth, key.size()));
}

// Entry `index` of a level (0: the entries naming data blocks), in the laid-out blocks.
char* PrimaryIndexLayout::entry(size_t level, size_t index) {
    const uint16_t block = m_tree.levelBlocks[level][index / m_cap];
    return m_tree.blocks.data() + size_t(block - 1) * m_blockSize + 6 +
           (index % m_cap) * (m_keyWidth + 6);
}

void PrimaryIndexLayout::putEntry(size_t level, size_t index, std::string_view key,
                                  uint32_t count) {
    char* e = entry(level, index);
    std::memset(e, 0, m_keyWidth);
    std::memcpy(e, key.data(), std::min(m_keyWidth, key.size()));
    putTreeInt(e + m_keyWidth + 2, std::min<uint32_t>(count, 32767));
}

// The count a summary entry gives node `node` of a level: the sum of its entries' counts
// (the data blocks' own counts at the lowest level), at most 32767.
uint32_t PrimaryIndexLayout::countUnder(size_t level, size_t node,
                                        const std::vector<BlockRef>& chain) {
    const size_t entries = level == 0 ? chain.size() : m_tree.levelBlocks[level - 1].size();
    uint64_t sum = 0;
    for (size_t i = node * m_cap; i < std::min(entries, (node + 1) * m_cap); ++i)
        sum += level == 0 ? chain[i].count : treeInt(entry(level, i) + m_keyWidth + 2);
    return uint32_t(std::min<uint64_t>(sum, 32767));
}

// As many blocks at each level as the last layout: the tree keeps its shape and, the
// blocks being numbered by first key with the levels interleaved alike, its block
// numbers. Entries whose data block changed (first key, number, count, or a place that
// moved) are rewritten, the last leaf block's entry count follows the chain's length,
// then the summaries of the nodes above a changed entry are rewritten, level by level.
bool PrimaryIndexLayout::patch(const std::vector<BlockRef>& chain) {
    const size_t n = chain.size(), before = m_numbers.size();
    if (before == 0 || m_tree.levels == 0 || m_tree.levelBlocks.size() != m_tree.levels)
        return false; // an empty tree has no shape to keep
    for (size_t level = 0, entries = n; level < m_tree.levels; ++level) {
        entries = (entries + m_cap - 1) / m_cap;
        if (m_tree.levelBlocks[level].size() != entries ||
            (level + 1 == m_tree.levels) != (entries == 1))
            return false;
    }
    m_keys.resize(n * m_keyWidth, '\0');
    m_numbers.resize(n, 0);
    m_counts.resize(n, 0);
    std::vector<size_t> nodes; // nodes of the current level with a changed entry
    for (size_t i = 0; i < n; ++i) {
        const BlockRef& b = chain[i];
        if (i < before && b.count == m_counts[i] && b.number == m_numbers[i] &&
            sameKey(i, b.firstKey))
            continue;
        putEntry(0, i, b.firstKey, b.count);
        putTreeInt(entry(0, i) + m_keyWidth, b.number);
        putTreeInt(entry(0, i) + m_keyWidth + 4, 0);
        remember(i, b.firstKey);
        m_numbers[i] = b.number;
        m_counts[i] = b.count;
        if (nodes.empty() || nodes.back() != i / m_cap)
            nodes.push_back(i / m_cap);
    }
    if (n != before)
        resizeLastLeaf(n, before, nodes);
    for (size_t level = 0; level + 1 < m_tree.levels; ++level) {
        std::vector<size_t> above;
        for (size_t node : nodes) {
            const uint16_t block = m_tree.levelBlocks[level][node];
            const std::string_view firstKey(
                m_tree.blocks.data() + size_t(block - 1) * m_blockSize + 6, m_keyWidth);
            putEntry(level + 1, node, firstKey, countUnder(level, node, chain));
            if (above.empty() || above.back() != node / m_cap)
                above.push_back(node / m_cap);
        }
        nodes = std::move(above);
    }
    return true;
}

// The chain grew or shrank within its last leaf block: that block's entry count changes
// and the entries past the new end are cleared, as a fresh layout leaves them.
void PrimaryIndexLayout::resizeLastLeaf(size_t n, size_t before, std::vector<size_t>& nodes) {
    const size_t last = (n - 1) / m_cap, entrySize = m_keyWidth + 6;
    for (size_t i = n; i < before; ++i)
        std::memset(entry(0, i), 0, entrySize);
    char* block = m_tree.blocks.data() + size_t(m_tree.levelBlocks[0][last] - 1) * m_blockSize;
    const size_t count = n - last * m_cap;
    const uint16_t lastOffset = uint16_t(int16_t((int(count) - 1) * int(entrySize)));
    bytes::put16(block, 4, lastOffset);
    m_tree.entries = uint32_t(int64_t(m_tree.entries) + int64_t(n) - int64_t(before));
    if (nodes.empty() || nodes.back() != last)
        nodes.push_back(last);
}

} // namespace engine
