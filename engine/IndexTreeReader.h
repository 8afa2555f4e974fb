#pragma once
// Reads a sorted data-like file (.X* under its .Y*, or a keyed .DB under its .PX)
// through its index tree, without loading it: a lookup descends from the root, a walk
// follows the block chain of the sorted file, and only the blocks touched are read,
// each once (they stay cached until the reader is dropped). A record's sort key is
// made the first time a search or a walk looks at it, so that a lookup costs a few
// keys of its block, not all of them.
//
// Keys are compared after a transform of their raw bytes: case folding and the
// complement of descending fields for a secondary index, none for the primary one.
// It is the transform of the in-memory orders, so both find the same places.
//
// Nothing read is trusted: block numbers, counts and offsets are checked against the
// files, keys must ascend inside an index block and wherever a walk steps, and a block
// must match the tree entry that names it. Any doubt throws EngineError (IndexOutOfDate): the
// caller then reads the rows instead.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/FileSystem.h"
#include "engine/TableHeader.h"

namespace engine {

// A record of the sorted file: its block number and its slot in the block.
struct TreeSpot {
    uint16_t block = 0;
    uint32_t slot = 0;
};

class IndexTreeReader {
public:
    // The raw key (the first keyBytes of an entry or record) into its sort key, of the
    // same width. An empty transform compares the raw bytes.
    using KeyTransform = std::function<void(const char* raw, char* sortKey)>;

    // One file of the pair: opened, with its header. `owned` keeps it open for the
    // reader's lifetime (left empty when the caller owns the file).
    struct Source {
        File* file = nullptr;
        std::unique_ptr<File> owned;
        TableHeader header;
        std::filesystem::path path;
    };

    IndexTreeReader(Source tree, Source sorted, size_t keyBytes, KeyTransform transform);

    // First record whose sort key, compared on key.size() bytes, is not below key
    // (lowerBound) or above it (upperBound); false when there is none.
    bool lowerBound(std::string_view key, TreeSpot& at) { return descend(key, false, at); }
    bool upperBound(std::string_view key, TreeSpot& at) { return descend(key, true, at); }
    // As lowerBound, searching only the block of `at` (an earlier spot) when its keys
    // enclose key: a range that follows the last one read mostly starts in its block.
    bool lowerBoundNear(std::string_view key, TreeSpot& at);
    bool last(TreeSpot& at);
    // The record whose sort key is exactly key. `at` comes in as a hint (an earlier
    // result, or a default spot): when key lies within the keys of that block as read
    // by this reader, the search stays in the block instead of descending from the root.
    bool findExact(std::string_view key, TreeSpot& at);
    // The two cheapest guesses to try before findExact: the record after `at` (a walk in
    // step with the keys) and `at` itself, in a block this reader holds already.
    bool findAdjacent(std::string_view key, TreeSpot& at);
    bool next(TreeSpot& at);
    bool prior(TreeSpot& at);
    // The same, giving the key of the record reached (keyAt's).
    bool next(TreeSpot& at, std::string_view& keyThere);
    bool prior(TreeSpot& at, std::string_view& keyThere);

    std::string_view keyAt(const TreeSpot& at);
    size_t recordSize() const { return size_t(m_sorted.header.recordSize); }
    const char* recordAt(const TreeSpot& at);
    // Records from `from` on whose sort key starts with prefix.
    uint64_t countWithPrefix(TreeSpot from, std::string_view prefix);

private:
    struct Block {
        uint16_t next = 0;
        uint16_t prev = 0;
        uint32_t count = 0;
        size_t recordSize = 0;
        std::unique_ptr<char[]> image; // the block as read
        const char* records = nullptr;
        std::unique_ptr<char[]> keys; // count sort keys, each made on first use
        std::vector<uint8_t> made;
        std::vector<uint16_t> children; // index blocks: the block each entry names
        std::vector<uint32_t> counts;   // index blocks: the count of each entry
        // Sorted blocks: the first eight bytes of the first and last keys in the keys'
        // order (keybytes::prefix), read with the block so that placing a key in it
        // later touches no other line of the block.
        uint64_t firstPrefix = 0;
        uint64_t lastPrefix = 0;
    };
    // Whether wanted lies between the block's first and last keys (both included).
    bool encloses(Block& b, std::string_view wanted);

    bool descend(std::string_view key, bool upper, TreeSpot& at);
    uint16_t leafUnder(std::string_view key, bool upper, bool rightmost);
    Block& indexBlock(uint16_t number);
    Block& sortedBlock(uint16_t number);
    std::unique_ptr<Block> readBlock(const Source& from, uint16_t number, size_t recordSize,
                                     std::vector<std::unique_ptr<Block>>& cache);
    // Every search and step compares keys: the made ones are handed out inline.
    std::string_view key(Block& b, uint32_t i) {
        if (!m_transform)
            return std::string_view(b.records + size_t(i) * b.recordSize, m_keyBytes);
        if (b.keys && b.made[i])
            return std::string_view(b.keys.get() + size_t(i) * m_keyBytes, m_keyBytes);
        return makeKey(b, i);
    }
    std::string_view makeKey(Block& b, uint32_t i);
    // First entry of the block not below key (above it when upper), on key.size() bytes.
    uint32_t search(Block& b, std::string_view key, bool upper);
    uint32_t guess(Block& b, std::string_view wanted);
    bool findInBlock(uint16_t number, std::string_view key, TreeSpot& at);
    [[noreturn]] void damaged(const Source& where, const std::string& why) const;

    Source m_tree;
    Source m_sorted;
    size_t m_keyBytes;
    KeyTransform m_transform;
    std::vector<std::unique_ptr<Block>> m_indexBlocks;  // by block number
    std::vector<std::unique_ptr<Block>> m_sortedBlocks; // by block number
};

} // namespace engine
