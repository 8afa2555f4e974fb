#pragma once
// Keeps an index tree (a .Y* over its .X* blocks; layout in IndexWriter.h, the same as
// a .PX's) true to the blocks below it, change by change, as a B-tree is kept:
// a level-1 entry is rewritten when its block's count or first key changes, inserted
// when a block joins the chain below, removed when one leaves it; an index block that
// overflows splits in two (a new root when the root splits), one left empty leaves the
// tree and the entry above it goes, up to the root. Every entry above a changed one is
// rewritten with its child's first key and count. Index blocks are not merged before
// they are empty: a tree kept this way may hold blocks less than full and free blocks,
// which our reader accepts (it descends from the root); pxlib does not read .Y* files.
//
// The index blocks stay in one chain ordered by first key, an upper-level block just
// before the first block below it: a split block's new half follows it; a new upper
// block (a split one's half, or a new root) goes just before its first child.
//
// Entries are found by descending from the root with the block's first key, and each
// one reached must name the block expected: anything else throws IndexOutOfDate before
// a byte is written for the change, and the table's index files are rebuilt instead.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class IndexBlockFile;
class WriteTxn;

class IndexTreeWriter {
public:
    // The comparable form of a stored key (a secondary key folded and complemented as
    // its order says; a primary key as it is).
    using SortKey = std::function<void(const char* raw, std::string& out)>;

    IndexTreeWriter(IndexBlockFile& file, size_t keyWidth, SortKey sortKey);

    bool empty() const;
    // The block below whose range holds a key given in sort form (the first block for a
    // key before all): where a new key goes. 0 when the tree is empty.
    uint16_t blockFor(std::string_view sortKey);

    // Block `block`, found by its first key as the tree knows it, now has this one.
    void update(std::string_view oldKey, uint16_t block, std::string_view newKey, uint32_t count,
                WriteTxn& txn);
    // A block joins right after `after` (found by its first key; 0: the first block of
    // an empty tree).
    void insertAfter(std::string_view afterKey, uint16_t after, std::string_view key,
                     uint16_t block, uint32_t count, WriteTxn& txn);
    void remove(std::string_view key, uint16_t block, WriteTxn& txn);

private:
    struct Entry {
        std::string key; // raw, as stored
        uint16_t block = 0;
        uint32_t count = 0;
    };
    struct Step {
        uint16_t block; // index block
        size_t pos;     // entry taken in it
    };

    std::vector<Entry> entriesOf(uint16_t indexBlock);
    std::vector<Step> pathTo(std::string_view rawKey, uint16_t block);
    size_t choose(const std::string& block, std::string_view sortKey);
    const char* entryAt(const std::string& block, size_t i) const;
    uint16_t childAt(const std::string& block, size_t i) const;
    uint32_t countUnder(const std::string& block) const;
    void replace(std::vector<Step>& path, size_t level, std::vector<Entry> with, WriteTxn& txn);
    void store(uint16_t indexBlock, const std::vector<Entry>& entries, WriteTxn& txn);
    Entry summary(uint16_t indexBlock, const std::vector<Entry>& entries) const;
    void split(std::vector<Step>& path, size_t level, std::vector<Entry> entries, WriteTxn& txn);
    void emptied(std::vector<Step>& path, size_t level, WriteTxn& txn);
    void start(std::string_view key, uint16_t block, uint32_t count, WriteTxn& txn);

    IndexBlockFile& m_file;
    size_t m_keyWidth;
    SortKey m_sortKey;
    std::string m_a, m_b; // sort forms being compared
};

} // namespace engine
