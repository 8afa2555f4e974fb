#pragma once
// One open table file, shared by every cursor on it in the process.
//
// TableFile::open returns the same object for every path that names the same file
// (canonical path), as long as someone holds it. Opening reads the header only
// (plus the headers of the index files when indexes() is asked); rows are read
// block by block when a cursor or forEachRow first needs them. Writing goes
// through Cursor; every write bumps generation() so that other cursors re-seek.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/FieldInfo.h"
#include "engine/IndexInfo.h"
#include "engine/Value.h"

namespace engine {

class TableData;

class TableFile {
public:
    // Throws EngineError: NotFound, NotParadox, Corrupt (header damage), Io.
    // An encrypted table opens (its structure is readable); reading its rows throws Encrypted.
    static std::shared_ptr<TableFile> open(const std::filesystem::path& file);
    // True when a TableFile for this file is alive in the process.
    static bool isOpen(const std::filesystem::path& file);

    ~TableFile(); // writes nothing: call flush() first to write the index files
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;

    const std::filesystem::path& path() const;
    int versionByte() const;              // header byte 0x39 (3..12)
    int level() const;                    // 3, 4, 5 or 7
    int codePage() const;                 // code page of the text (the level-3 default for level 3)
    const std::string& sortOrder() const; // language driver name ("" for level 3)
    int sortOrderId() const;              // header byte 0x29
    bool isKeyed() const;
    bool isEncrypted() const;
    int keyFieldCount() const;
    // Header 0x49: the last number an autoincrement field was given (0 when none).
    uint32_t lastAutoIncrement() const;
    int blockSize() const;  // bytes
    int recordSize() const; // bytes
    uint32_t
    recordCount() const; // rows: the header's count until the rows were read, then the real count
    const std::vector<FieldInfo>& fields() const;
    int fieldIndex(std::string_view name) const; // case-insensitive; -1 if none
    std::vector<IndexInfo> indexes() const;      // primary, then .Xnn by field, then .XGn by number

    uint64_t generation() const;

    // Reads (and writes) the text of this table in `codePage` instead of the page its
    // header names: some headers name the wrong page. Field names keep the header's
    // page. Throws NotSupported for a page the system cannot convert.
    void useCodePage(int codePage);
    // The page the text is read in: the header's, or the one given to useCodePage.
    int textCodePage() const;

    // For a reader that tells its user what it could not read: when the table's BLOB
    // file (.MB) is missing, its memo and BLOB values stored there read as NULL instead
    // of the rows being refused. Values kept whole in the row still read. From then on
    // no write that touches a BLOB can go through this table object.
    void readMissingBlobsAsNull();
    // Values read as NULL so far because the BLOB file is missing.
    uint64_t blobValuesLost() const;

    // Every row in physical order (the block chain: key order for keyed tables,
    // insertion order for unkeyed ones). Stop early by returning false.
    void forEachRow(const std::function<bool(const Row&)>& visit) const;
    // As forEachRow, decoding only the fields at these positions (the others read as
    // NULL): a check of some fields costs what decoding them costs.
    void forEachRow(const std::vector<size_t>& columns,
                    const std::function<bool(const Row&)>& visit) const;

    // Before rows are appended: throws Corrupt when the header's counters, the file's
    // size or the links around the chain's last block disagree, so that a caller that
    // writes in several steps can refuse them all before the first. Reads a few
    // block headers, not the rows.
    void checkAppendPoint() const;
    // Where a walk in several reads goes on (see forEachRowFrom).
    struct Resume {
        bool finished = false;
        uint64_t ordinal = 0; // unkeyed tables: the next row's place in the chain
        std::string key;      // keyed tables: the next row's key image; "" from the first
    };
    // As forEachRow, from `at` on, under one read lock taken and let go by this call,
    // so that a caller may stop, do something slow (write out what it read) and come
    // back without holding up writers meanwhile. When visit returns false, `at` names
    // the row after the one visited: by key on a keyed table, so that the walk goes on
    // at the right row whatever was written in between (a row added behind it is not
    // seen), by place on an unkeyed one. `at.finished` is set once the last row went by.
    void forEachRowFrom(Resume& at, const std::function<bool(const Row&)>& visit) const;

    // A row of NULLs with the table's field count.
    Row emptyRow() const;

    // Writes the index files of a modified table and syncs every file. Does nothing
    // inside a transaction (index files only follow committed rows). Every failure
    // is thrown; the rows stay safe and the index files marked as lagging.
    void flush();

    // Transactions: every row operation between beginTransaction and commit reaches
    // the disk at the commit, all together, or none of them does (rollback, a failed
    // commit, a crash at any instant: see Journal.h). Outside a transaction, each
    // row operation is committed on its own. One transaction at a time per table.
    void beginTransaction();
    void commit();
    void rollback(); // nothing to do when no transaction is open
    bool inTransaction() const;

    // Durable commits (the default) sync the journal and the files, so a committed
    // row survives a power cut; otherwise it survives a crash of the process only.
    void setDurable(bool on);

    // Looks at the file now: when another program committed since this process last
    // looked, what was cached is dropped (cursors find their rows again by key) and
    // true is returned.
    bool refresh();

    // Internal state shared with Cursor.
    TableData& data() const;

private:
    explicit TableFile(std::unique_ptr<TableData> d);
    std::unique_ptr<TableData> m_data;
};

} // namespace engine
