#pragma once
// Internal state of one open table, shared by its cursors (not part of the interface).
//
// Data blocks (.DB and .X*): a 6-byte header, then records packed back to back:
//
//   Off Size Field             Meaning
//   0   u16  next              next block of the chain, 0 for the last
//   2   u16  prev              previous block, 0 for the first
//   4   s16  lastRecordOffset  (count - 1) * recordSize; -recordSize when empty
//
// The rows of a table are the records of the blocks chained from header.firstBlock,
// in chain order; blocks outside the chain (free blocks, leftovers) are never read.
//
// In memory the table is a directory of its chained blocks (number, row count, first
// key, and the records once read; BlockDirectory.cpp). The directory is built on the first row
// access: from the level-1 entries of the .PX when that file is fresh (no data block read), else by
// walking the chain; each block is read with one read call, and checked against its directory entry
// when it is read. Reaching the last row and appending after the last key do without it: they
// descend the .PX along its right edge (TableAppend.cpp).
//
// Invariants of a table this engine writes (IntegrityCheck.h checks them on disk):
//   1. the chain holds every row once; keyed rows are in ascending key order along the
//      chain, with no duplicate key;
//   2. no chained block is empty and none holds more than its capacity;
//   3. every change reaches the disk in a transaction (TableTransaction.cpp): the writes
//      of its row operations wait in memory (BufferedFile) until the commit, which saves
//      what they overwrite to the rollback journal (Journal.h) before writing them. So
//      the table on disk holds the rows of a whole number of transactions, and the
//      header's counters always describe the chain that is on disk with them;
//   4. a block is put on the free list only after it has left the chain, and taken off
//      the free list (in the header) before it is written with new content;
//   5. the index files (.PX, maintained .X*/.Y*) that match the rows are kept matching
//      them inside each transaction: every index block a row operation changes is a
//      pending write of the same commit (IndexFiles.h), so a crash leaves the table and
//      its index files of one and the same transaction. When they cannot be kept so (one
//      is missing, damaged, not maintained, or they already lag), header byte 0x4F is
//      set and they lag behind the data; the byte is cleared only after every index file
//      has been rewritten, synced and renamed into place (at flush). A table opened with
//      the byte set (by us or another writer) is recovered: counters recomputed from
//      the chain, index files rebuilt from the rows. With the byte clear, the header's
//      row count and last block must agree with the chain, or the table is damaged.
//
// Transaction states:
//
//   idle --row operation--> autocommit --commit (or drop on failure)--> idle
//   idle --begin--> explicit --row operations (each undone alone if it fails)...
//                   explicit --commit--> idle        explicit --rollback--> idle
//   a commit whose own rollback failed leaves the journal hot: the next access
//   rolls it back before anything else (settle).

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/BlobFile.h"
#include "engine/BufferedFile.h"
#include "engine/CodePage.h"
#include "engine/FileSystem.h"
#include "engine/IndexInfo.h"
#include "engine/IndexTreeReader.h"
#include "engine/KeyList.h"
#include "engine/ReachedRows.h"
#include "engine/TableHeader.h"
#include "engine/TableLock.h"
#include "engine/Value.h"
#include "engine/ValueCodec.h"

namespace engine {

class EngineError;

// The companion file of a table with this extension (".PX", ".MB"...): an existing
// file in any letter case, else the name with the table's extension case.
std::filesystem::path companionPath(const std::filesystem::path& table, const char* ext);

struct BlockRef {
    uint16_t number = 0;  // block number in the .DB
    uint32_t count = 0;   // rows in the block
    std::string firstKey; // keyed tables: key image of its first row
    std::string records;  // count * recordSize bytes, once loaded
    bool loaded = false;
};

// Position of a row: index in the chain directory and slot in the block.
struct RowPos {
    size_t block = 0;
    size_t slot = 0;
};

class IndexTreeReader;
class IndexFiles;
class PrimaryIndexLayout;

// One ordering other than the primary one (a secondary index, or an order built in
// memory for an index file that is stale).
struct SecondaryOrder {
    IndexInfo info;
    std::vector<int> fields;      // table field indexes, in index order
    std::vector<bool> descending; // per field
    bool caseInsensitive = false;
    std::filesystem::path xPath; // index file (empty for none)
    int number = 0;              // n of .XGn, or the field number of .Xnn
    bool composite = false;      // .XGn (true) or .Xnn
    bool maintained = true;
    bool built = false;
    // Sort keys: the transformed images of the index fields (folded when
    // case-insensitive, complemented when descending), then the row's primary key
    // (keyed table) or its 8-byte ordinal (unkeyed table). Sorted by bytes.
    KeyList entries;
    size_t indexWidth = 0; // bytes of the index field images at the start of an entry
    // Walking the .X*/.Y* files themselves while they match the rows (TableData::treeFor):
    // a reader serves one generation of the table and is replaced after any change.
    std::shared_ptr<IndexTreeReader> tree;
    uint64_t treeGeneration = 0;
    bool treeLooked = false;    // tree (or the lack of one) is known for treeGeneration
    bool treeUntrusted = false; // the files were found damaged: in-memory order only
    size_t entryWidth(size_t keyWidth, bool keyed) const {
        return indexWidth + (keyed ? keyWidth : 8);
    }
};

class WriteTxn;

class TableData {
public:
    TableData(std::filesystem::path canonical, std::unique_ptr<File> file, TableHeader header,
              TableLock lock);
    ~TableData();

    // Opens a table for this process: takes the table's shared locks, rolls back a
    // commit that a crash cut short, reads the header (TableSharing.cpp).
    static std::unique_ptr<TableData> open(const std::filesystem::path& canonical);

    // ---- identity ----------------------------------------------------------
    std::filesystem::path path;
    std::unique_ptr<BufferedFile> file;
    TableHeader header;
    const CodePage* cp = nullptr;
    std::unique_ptr<BlobFile> blobs;
    std::unique_ptr<ValueCodec> codec;
    // The .PX as last laid out, patched at the next commit (PrimaryIndexLayout.h).
    std::unique_ptr<PrimaryIndexLayout> primaryLayout;
    int recordSize = 0;
    int blockSize = 0;
    int capacity = 0;    // records per block
    size_t keyWidth = 0; // bytes of the primary key at the start of a record
    bool keyed = false;
    uint64_t generation = 0;

    // ---- reading -------------------------------------------------------------
    void checkReadable() const; // throws Encrypted
    void ensureDirectory();
    uint64_t rowCount();
    const std::vector<BlockRef>& chain() {
        ensureDirectory();
        return m_chain;
    }
    bool haveDirectory() const { return m_haveDirectory; }
    const char* record(RowPos pos);
    RowPos locate(uint64_t ordinal);
    uint64_t ordinalOf(RowPos pos);
    std::string keyOf(RowPos pos) { return std::string(record(pos), keyWidth); }
    // First row whose key is >= key (compared on key.size() bytes); ordinal or rowCount().
    uint64_t lowerBound(const std::string& key) { return bound(key, false); }
    uint64_t upperBound(const std::string& key) {
        return bound(key, true);
    } // first row whose key prefix is > key
    // Exact key lookup; true and the ordinal when found.
    bool find(const std::string& key, uint64_t& ordinal);
    void decodeRow(const char* record, Row& out) const;
    // Every row in chain order; with `columns`, only those fields are decoded (the
    // others stay NULL), for a walk that looks at a few fields of wide rows.
    void streamRows(const std::function<bool(const Row&)>& visit,
                    const std::vector<size_t>* columns = nullptr);
    void decodeColumns(const char* record, const std::vector<size_t>& columns, Row& out) const;
    // Follows the block chain from the header without decoding a row: throws Corrupt
    // where a link or a count is wrong, which a directory read from the .PX never sees.
    void checkChain();

    // ---- secondary orders ------------------------------------------------------
    void discoverIndexes();
    std::vector<SecondaryOrder>& secondaries() {
        discoverIndexes();
        return m_secondary;
    }
    // The order for these field names (an index whose fields are these); nullptr for
    // the primary order. Throws IndexNotFound.
    SecondaryOrder* orderFor(const std::vector<std::string>& fieldNames);
    void ensureBuilt(SecondaryOrder& order);
    std::string sortKey(const SecondaryOrder& order, const char* record, uint64_t ordinal) const;
    void sortKeyInto(const SecondaryOrder& order, const char* record, uint64_t ordinal,
                     std::string& key) const;
    // Whether an entry of the order's files, as stored (index fields, then the primary
    // key), holds the very bytes of a keyed row: then its sort key is the row's.
    bool entryHoldsRow(const SecondaryOrder& order, std::string_view entry,
                       const char* record) const;
    // Transformed image of a value of the order's first field (for ranges and lookups).
    std::string orderImage(const SecondaryOrder& order, size_t fieldPos, const Value& v) const;
    // The row an entry of the order refers to.
    uint64_t ordinalOfEntry(const SecondaryOrder& order, std::string_view entry);

    // ---- walking index files without loading them (IndexTreeReader) -------------
    // The reader of the order's .X*/.Y* while they are known to match the rows, else
    // nullptr; it is valid until the generation moves.
    IndexTreeReader* treeFor(SecondaryOrder& order);
    // The order's files were found damaged: it is built from the rows from now on.
    void distrustTree(SecondaryOrder& order);
    // The record with this primary key (descending the .PX while the block directory
    // is not built); nullptr when no row has it. Valid until the next table access.
    const char* recordByKey(std::string_view key);
    // The same, starting from `near`, where an earlier lookup of the caller landed (each
    // cursor keeps its own: two walking views would otherwise take turns spoiling it).
    const char* recordByKey(std::string_view key, TreeSpot& near);
    // The row an entry of `tree` named when it was last reached through recordByKey and
    // found to carry the entry (noteRowReached), while nothing has changed since; else
    // nullptr.
    const char* rowReachedAt(const IndexTreeReader& tree, const TreeSpot& entry) const {
        return m_reached.find({&tree, generation, m_readerEpoch}, entry);
    }
    void noteRowReached(const IndexTreeReader& tree, const TreeSpot& entry, const char* rec);
    // Before a write: the orders walked through their files are loaded from them while
    // they still match, and from then on kept up to date with the rows.
    void loadWalkedOrders();
    // The first row of the primary order through the .PX while the block directory is
    // not built (a descent, not the whole .PX); nullptr when the directory must answer.
    const char* firstRecordInPlace();
    void distrustPrimaryIndex(const EngineError& e);
    // The last row of the primary order the same way, with the header's row count (read
    // only while that count is trusted); nullptr when the directory must answer.
    const char* lastRecordInPlace(uint64_t& rows);
    // The record the last insert appended in place (appendInPlace) when it was given this
    // ordinal and nothing changed since; nullptr otherwise.
    const char* appendedRecord(uint64_t ordinal) const;
    // The header's row count while nothing was read or written since the header was
    // (a clean header agrees with the chain); false when the directory must answer.
    bool rowCountFromHeader(uint64_t& rows) const;

    // ---- checks before a write (ChainCheck.cpp) ----------------------------------
    // The header's counters and the file's size against the block directory, and the
    // links of the chain's last block and its neighbour: where appended rows go.
    // Throws Corrupt naming the damage.
    void checkAppendPoint();

    // ---- writing ---------------------------------------------------------------
    // All return the ordinal of the affected row (insert, update) and bump generation.
    // Outside an explicit transaction each is committed on its own.
    uint64_t insertRow(const Row& row);
    uint64_t updateRow(uint64_t ordinal, const Row& row);
    void removeRow(uint64_t ordinal);
    // Rewrites the index files of a modified table (not inside a transaction: the
    // index files only ever follow committed rows).
    void flush();

    // ---- sharing with other programs (TableSharing.cpp; protocol in TableLock.h) ----
    // A read operation (nests): waits out a commit being applied by another program,
    // and drops what is cached when another program committed since the last look.
    void beginRead();
    void endRead() noexcept;
    // A change (nests, and covers reads): the table's one writer until endWrite.
    void beginWrite();
    void endWrite() noexcept;
    // Deleting or replacing the table: refuses (Locked) while another program has it open.
    static void requireSoleUser(const std::filesystem::path& table);
    // A read operation may skip the read lock when what this process holds in memory is
    // known to be current: the header on disk is the one last seen (Header: one read
    // of it, exact), or was within a batch of steps and a few milliseconds (Batch: a
    // walk's steps, no system call). True to try; the operation runs under a DiskBarrier,
    // and again under beginRead when it needs the disk.
    enum class MemoryCheck { Batch, Header };
    bool mayReadFromMemory(MemoryCheck check);

    // ---- transactions (TableTransaction.cpp) -------------------------------------
    void beginTransaction();
    void commitTransaction();
    void rollbackTransaction();
    bool inTransaction() const { return m_explicitTxn; }
    // Durable commits sync the journal, the directory and the files; without, a
    // commit survives a crash of the process but not of the machine.
    void setDurable(bool on) { m_durable = on; }

private:
    bool findInPrimaryTree(IndexTreeReader& px, std::string_view key, TreeSpot& near);
    // Every index reader goes through here: the rows noted as reached point into blocks
    // the primary index reader holds, and name entries of a secondary one.
    template <class Reader> void dropReader(Reader& reader) noexcept {
        reader.reset();
        ++m_readerEpoch;
    }
    uint64_t bound(const std::string& key, bool upper);
    void walkChain();
    bool directoryFromPrimaryIndex();
    bool readIndexLevel(File& f, const TableHeader& px, uint16_t block, int level,
                        std::vector<BlockRef>& out);
    void loadBlock(BlockRef& b);
    void rebuildPrefix();
    void readBlock(uint16_t number, std::string& image);
    // Walks the chain of a data-like file, checking every link and count; visit gets
    // each non-empty block (number, records, count) and may stop the walk.
    static void walkBlocks(File& f, const TableHeader& h,
                           const std::function<bool(uint16_t, const char*, uint32_t)>& visit);
    void buildOrderFromData(SecondaryOrder& order);
    bool buildOrderFromIndexFile(SecondaryOrder& order);
    void addSecondary(const std::filesystem::path& xPath);
    // index files read in place (SecondaryOrders.cpp, BlockDirectory.cpp)
    bool indexFilesCurrent() const;
    bool secondaryHeaderFits(const SecondaryOrder& order, const TableHeader& x) const;
    bool primaryHeaderFits(const TableHeader& px) const;
    std::shared_ptr<IndexTreeReader> openSecondaryTree(const SecondaryOrder& order);
    IndexTreeReader* primaryTree();
    std::shared_ptr<IndexTreeReader> openPrimaryTree();

    // checks before a write (ChainCheck.cpp)
    void checkHeaderAgainstChain();
    void checkFileSizeAgainstHeader();
    void checkNeighbourhood(size_t chainIndex);
    void checkLinksOnDisk(size_t chainIndex);
    std::string linkDamage(size_t chainIndex, const char* blockHeader);
    [[noreturn]] void rewalkAfterMismatch(uint16_t number, const std::string& damage);

    // transactions (TableTransaction.cpp)
    template <class Op> auto autocommit(Op op);
    void commitPending();
    void dropPending() noexcept;
    std::vector<BufferedFile*> pendingFiles() const;
    void settle();

    // writing helpers (TableWrite.cpp)
    friend class WriteTxn;
    uint64_t doInsert(const Row& row);
    uint64_t doUpdate(uint64_t ordinal, const Row& row);
    void doRemove(uint64_t ordinal);
    void ensureWritable();
    std::string encodeRecord(const Row& row, bool assignAutoInc);
    std::string blockImage(size_t chainIndex) const;
    uint64_t headerOffsetOf(uint16_t number) const;
    void shiftPrefix(size_t chainIndex, int delta);
    uint16_t allocateBlock(std::string& undo, bool& canUndo);
    void checkUnique(const std::string& rec, const char* replaced);
    RowPos insertEncoded(const std::string& rec, WriteTxn& txn);
    void splitInsert(size_t bi, size_t slot, const std::string& merged, WriteTxn& txn);
    RowPos locateRecord(const std::string& rec, size_t bi);
    uint64_t finishInsert(const std::string& rec, RowPos pos);
    // appending without the directory (TableAppend.cpp)
    bool appendInPlace(const std::string& rec, WriteTxn& txn, uint64_t& ordinal);
    bool rootCountsRows(const std::string& root, size_t entries) const;
    bool primaryRightEdge(std::vector<uint16_t>& edge, uint16_t& lastBlock, uint32_t& count);
    void bumpRightEdge(const std::vector<uint16_t>& edge, uint16_t newBlock, const std::string& key,
                       WriteTxn& txn);
    uint64_t finishAppend(const std::string& rec, uint64_t ordinal);
    std::string m_appended; // the record appendInPlace wrote last
    uint64_t m_appendedOrdinal = 0;
    uint64_t m_appendedGeneration = UINT64_MAX;
    std::function<void()> removeAt(RowPos pos, WriteTxn& txn);
    std::function<void()> unlinkBlock(size_t chainIndex, WriteTxn& txn);
    bool changesIndexFields(const char* oldRecord, const char* newRecord);
    void noteEntries(const char* oldRecord, uint64_t oldOrdinal, const char* newRecord);
    void releaseBlobs(const char* record);
    void recoverIfNeeded();
    void resetAfterFailure();

    // index files kept in place (TableWrite.cpp; IndexFiles.h): chosen at a
    // transaction's first row operation, dropped at its end; refused (lag and rewrite at
    // flush) from a failure to keep them until the next flush
    friend class IndexFiles;
    IndexFiles* indexUpkeep() { return m_indexUpkeepRefused ? nullptr : m_indexFiles.get(); }
    void startIndexUpkeep();
    bool indexUpkeepPossible();
    void endIndexUpkeep() noexcept;
    void reloadIndexFiles() noexcept;
    void markIndexLag();
    void noteRowsWritten(bool entriesMoved);
    bool filesFollowedInTransaction() const;
    std::shared_ptr<IndexFiles> m_indexFiles;
    bool m_indexUpkeepLooked = false;
    bool m_indexUpkeepRefused = false;

    // sharing (TableSharing.cpp)
    void useWritableFile();
    void refuseWhereOthersLock() const;
    void recoverHotJournal();
    void refreshIfChanged();
    void dropCaches();
    void bumpChangeCounter();
    void noteDiskHeader();
    std::string diskStamp();

    std::vector<BlockRef> m_chain;
    bool m_haveDirectory = false;
    std::vector<uint64_t> m_prefix; // m_prefix[i] = rows before chain block i
    bool m_prefixDirty = true;
    // Blocks whose on-disk links were found to agree with the directory (by block
    // number); forgotten whenever the directory is built again.
    std::vector<bool> m_linksChecked;
    std::vector<SecondaryOrder> m_secondary;
    bool m_indexesDiscovered = false;
    bool m_modified = false; // rows written since the index files were last written
    // Index entries added, removed or changed since the index files were written (a row
    // rewritten in place without touching any indexed field leaves the files true).
    bool m_entriesMoved = false;
    // Header byte 0x4F was set by this process's in-place rewrites alone, while the
    // index files still stood for the rows.
    bool m_ownLag = false;
    bool m_writable = false;
    bool m_durable = true;
    bool m_explicitTxn = false;
    bool m_modifiedAtBegin = false;       // m_modified when the transaction began
    bool m_needsRecovery = false;         // a failed commit left its journal hot
    bool m_journalSwept = false;          // leftover journal temporaries removed once
    bool m_directoryFromIndex = false;    // the directory came from the .PX
    bool m_primaryIndexUntrusted = false; // the .PX was found wrong: walk the chain

    // The .PX over the .DB read in place (primaryTree), for one generation and one
    // descriptor of the .DB (the first write replaces it by one that may write).
    std::shared_ptr<IndexTreeReader> m_primaryTree;
    uint64_t m_primaryTreeGeneration = 0;
    const File* m_primaryTreeFile = nullptr;
    bool m_primaryTreeLooked = false;
    TreeSpot m_lastPrimarySpot; // where the last lookup by key landed, whoever asked
    ReachedRows m_reached;
    uint64_t m_readerEpoch = 0; // moves whenever an index reader is dropped

    TableLock m_lock;
    int m_readers = 0;   // read operations in progress (nested)
    int m_writers = 0;   // changes in progress (nested; an open transaction is one)
    std::string m_stamp; // the header's first bytes on disk when last looked at
    // Steps served from memory since the header was last compared, and when that was.
    int m_stepsSinceLook = 0;
    std::chrono::nanoseconds m_lastLook{0}; // on the coarse monotonic clock (walkClock)
    bool m_looked = false;
};

// Scopes of TableData::beginRead/endRead and beginWrite/endWrite.
class ReadAccess {
public:
    explicit ReadAccess(TableData& d) : m_d(d) { m_d.beginRead(); }
    ~ReadAccess() { m_d.endRead(); }
    ReadAccess(const ReadAccess&) = delete;
    ReadAccess& operator=(const ReadAccess&) = delete;

private:
    TableData& m_d;
};

class WriteAccess {
public:
    explicit WriteAccess(TableData& d) : m_d(d) { m_d.beginWrite(); }
    ~WriteAccess() { m_d.endWrite(); }
    WriteAccess(const WriteAccess&) = delete;
    WriteAccess& operator=(const WriteAccess&) = delete;

private:
    TableData& m_d;
};

// Runs one row operation (or the header change of a flush). Outside an explicit
// transaction it is committed at once, or dropped whole when it or its commit fails.
template <class Op> auto TableData::autocommit(Op op) {
    WriteAccess access(*this);
    settle();
    if (m_explicitTxn)
        return op();
    m_modifiedAtBegin = m_modified;
    try {
        auto result = op();
        commitPending();
        return result;
    } catch (...) {
        dropPending();
        throw;
    }
}

} // namespace engine
