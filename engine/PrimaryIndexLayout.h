#pragma once
// The .PX blocks of a table's chain, kept from one commit to the next. A commit that
// changes rows but no block of the chain (the common small write) only changes the
// counts and first keys of some blocks: their entries and the summaries above them are
// patched in the last layout, which costs what changed, not what the table holds. A
// chain that gained or lost blocks is laid out whole again (buildIndexTree). Either way
// the result is the packed layout a whole rebuild gives, which other readers expect.

#include "engine/IndexWriter.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

struct BlockRef;

class PrimaryIndexLayout {
public:
    const IndexTree& layOut(const std::vector<BlockRef>& chain, size_t keyWidth, int blockSize);

private:
    bool patch(const std::vector<BlockRef>& chain);
    void resizeLastLeaf(size_t n, size_t before, std::vector<size_t>& nodes);
    void rebuild(const std::vector<BlockRef>& chain);
    char* entry(size_t level, size_t index);
    bool sameKey(size_t i, const std::string& key) const;
    void remember(size_t i, const std::string& key);
    void putEntry(size_t level, size_t index, std::string_view key, uint32_t count);
    uint32_t countUnder(size_t level, size_t node, const std::vector<BlockRef>& chain);

    bool m_valid = false;
    size_t m_keyWidth = 0;
    size_t m_blockSize = 0;
    size_t m_cap = 0;
    IndexTree m_tree;
    // What the layout was made from, per data block of the chain: first keys end to end
    // (keyWidth bytes each), numbers, counts.
    std::string m_keys;
    std::vector<uint16_t> m_numbers;
    std::vector<uint32_t> m_counts;
};

} // namespace engine
