#pragma once
// The index files of a keyed table kept in place inside its transactions: each
// maintained secondary index follows the rows block by block (SecondaryIndexWriter),
// and the .PX follows the data blocks. Opened at the first row operation of a
// transaction when every index file can be kept this way (TableData::startIndexUpkeep),
// dropped when the transaction ends; their pending writes join the table's commit
// (TableTransaction.cpp).
//
// The .PX (one entry per data block, a few KB per 100k rows) is laid out again whole,
// packed, at each commit that changed the data blocks, and only its blocks that differ
// are written: pxlib reads a .PX only when its blocks are all in use, which a tree
// kept entry by entry (IndexTreeWriter, as the .Y* are) does not promise. The layout is
// kept between commits and patched where the chain keeps its shape (PrimaryIndexLayout),
// so the work of a small commit is a comparison per data block, not a rebuild. A row
// appended after the last key while the block directory is not built changes the .PX
// along its right edge instead (TableAppend.cpp), which is where a packed tree grows.

#include "engine/IndexBlockFile.h"
#include "engine/IndexTreeWriter.h"
#include "engine/SecondaryIndexWriter.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class BufferedFile;
class TableData;
class WriteTxn;
struct SecondaryOrder;

class IndexFiles {
public:
    // Throws when a file cannot be opened or does not have the layout of its order.
    explicit IndexFiles(TableData& d);

    IndexBlockFile& primary() { return *m_px; }
    std::vector<IndexBlockFile*> files();
    bool dirty();
    void discard();
    // After an operation's writes were put back: headers and blocks read again; false
    // when they could not be.
    bool reload() noexcept;

    // The data blocks changed: the .PX is written again at the commit.
    void blocksChanged() { m_primaryChanged = true; }
    // Before the commit: the .PX of the chain, where it differs from the file.
    void writePrimary();

    // Rows (the secondary indexes); records as the table stores them.
    void rowAdded(const char* rec, uint16_t block, WriteTxn& txn);
    void rowRemoved(const char* rec, WriteTxn& txn);
    void rowChanged(const char* oldRec, const char* newRec, uint16_t block, WriteTxn& txn);
    void rowMoved(const char* rec, uint16_t block, WriteTxn& txn);
    // The writer of an order's files (their pending writes read through it), or nullptr.
    SecondaryIndexWriter* writerFor(const SecondaryOrder& order);
    // A unique order: whether another row than `replaced` has the values of rec.
    bool valueTaken(const SecondaryOrder& order, const char* rec, const char* replaced);

private:
    struct Secondary {
        const SecondaryOrder* order;
        std::unique_ptr<SecondaryIndexWriter> writer;
    };
    TableData& m_d;
    std::unique_ptr<IndexBlockFile> m_px;
    bool m_primaryChanged = false;
    std::vector<Secondary> m_secondaries;
};

} // namespace engine
