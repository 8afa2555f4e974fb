#pragma once
// Writes the index files of a table from its rows: the primary index (.PX) and the
// maintained secondary indexes (.Xnn/.Ynn, .XGn/.YGn). A table whose index files match
// its rows keeps them so, change by change, inside its transactions (IndexFiles.h,
// IndexTreeWriter.h); they are written whole from the rows only when they lagged behind
// (header byte 0x4F, set by a write that could not keep them: IndexFiles.h says when),
// which is what this file does, at flush.
//
// An index tree (.PX over the table's data blocks, .Y* over the .X* blocks) holds one
// entry per block of the level below:
//
//   Part   Size       Meaning
//   key    key width  level 1: the key of the first record of the block it points to;
//                     higher levels: the first key of the child index block
//   block  2          block number (order-preserving integer: 80 01 = 1)
//   count  2          level 1: records in that block; higher: sum over the child
//                     (16 bits: capped at 32767)
//   zero   2          80 00
//
// Invariants of the trees written here (kept in place, only 1 and 3 hold, and every
// block is non-empty but the root of an empty tree):
//   1. the level-1 entries list the blocks of the level below in chain order;
//   2. every block is full except the last of each level;
//   3. all blocks of all levels form one chain ordered by first key, an upper-level
//      block just before the leaf that shares its first key;
//   4. an empty index has one empty block, root 1, 0 levels.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class TableData;
struct SecondaryOrder;

struct TreeEntry {
    std::string_view key; // into storage the caller keeps until the tree is built
    uint16_t block = 0;
    uint32_t count = 0;
};

struct IndexTree {
    std::string blocks; // totalBlocks * blockSize bytes
    uint16_t totalBlocks = 0;
    uint16_t root = 0;
    uint8_t levels = 0;
    uint32_t entries = 0;
    uint16_t firstBlock = 0;
    uint16_t lastBlock = 0;
    // Per level, from the one naming the leaves: its blocks in key order.
    std::vector<std::vector<uint16_t>> levelBlocks;
};

IndexTree buildIndexTree(const std::vector<TreeEntry>& leaves, size_t keyWidth, int blockSize);

// Block size code for an index file whose entries are entryWidth bytes (2 KiB unless
// that holds fewer than three entries).
uint8_t indexBlockSizeCode(size_t entryWidth);

// The X record of a table record in a secondary index: the index fields as stored, the
// primary key, then the data block holding the row.
std::string secondaryRecord(const TableData& table, const SecondaryOrder& order, const char* rec,
                            uint16_t block);

// The whole .PX of the table's chain (header then blocks), as writePrimaryIndex writes it.
std::string primaryIndexImage(TableData& table);
void writePrimaryIndex(TableData& table);
void writeSecondaryIndex(TableData& table, SecondaryOrder& order);

} // namespace engine
