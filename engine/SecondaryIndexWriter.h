#pragma once
// Keeps one maintained secondary index (.X* records, .Y* tree over them) true to the
// table's rows, row by row, inside the table's transaction (layout: SecondaryOrders.cpp).
//
// The .X* file is kept as the table's own blocks are (TableWrite.cpp): a record goes
// after its predecessor in sort order, into the block the .Y* names for it; a full block
// splits (the new block after it takes the upper half, or only the new record when it
// ends the file); an emptied block leaves the chain for the free list. Each change of an
// X block is then told to the .Y* (IndexTreeWriter). The X header counts the records,
// which always equal the table's rows.

#include "engine/IndexBlockFile.h"
#include "engine/IndexTreeWriter.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace engine {

class WriteTxn;

class SecondaryIndexWriter {
public:
    // xPath/yPath: the pair; keyWidth: index fields + primary key, at the start of an X
    // record; sortKey: their comparable form (folded, complemented).
    SecondaryIndexWriter(const std::filesystem::path& xPath, const std::filesystem::path& yPath,
                         int codePage, size_t keyWidth, IndexTreeWriter::SortKey sortKey);

    IndexBlockFile& x() { return *m_x; }
    IndexBlockFile& y() { return *m_y; }

    void insert(const std::string& record, WriteTxn& txn);
    // The record whose key (index fields + primary key) is this goes.
    void remove(std::string_view key, WriteTxn& txn);
    // The row of this key now lives in data block `block`.
    void rehint(std::string_view key, uint16_t block, WriteTxn& txn);
    // Whether a record other than the one of primary key `except` starts with these
    // index fields (in sort form, `fieldsWidth` bytes).
    bool holdsOther(std::string_view sortPrefix, std::string_view except);

private:
    struct Spot {
        uint16_t block;
        size_t slot;
        bool found;
    };
    Spot locate(std::string_view sortKey);
    void insertAt(uint16_t block, size_t slot, const std::string& record, WriteTxn& txn);
    void split(uint16_t block, std::string records, size_t slot, WriteTxn& txn);
    std::string keyOf(const std::string& b, size_t slot) const;

    std::unique_ptr<IndexBlockFile> m_x, m_y;
    size_t m_keyWidth;
    IndexTreeWriter::SortKey m_sortKey;
    std::unique_ptr<IndexTreeWriter> m_tree;
    std::string m_probe, m_sought;
};

} // namespace engine
