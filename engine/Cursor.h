#pragma once
// A view walking one order of a shared TableFile.
//
// The order is the primary one (empty field list, or the primary key's field names;
// chain order for an unkeyed table) or a secondary index chosen by its field names
// (names compared case-insensitively, joined order must match). An optional range
// keeps only the rows whose first index field equals a value (compared the way the
// index compares: ignoring case through a case-insensitive index).
//
// Positioning calls return false when the move would leave the view; the cursor then
// stays where it was. A cursor stays valid while other cursors on the same table
// write: on its next call it finds its row again by key (or the row that followed it
// when that row was deleted).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/IndexInfo.h"
#include "engine/Value.h"

namespace engine {

class TableFile;
class CursorState;
class RowImage;

class Cursor {
public:
    // Throws IndexNotFound when no index has these fields.
    explicit Cursor(std::shared_ptr<TableFile> table,
                    const std::vector<std::string>& indexFieldNames = {});
    ~Cursor();
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    const std::shared_ptr<TableFile>& table() const;
    const IndexInfo& index() const; // the index walked (the primary one for primary order)

    void setRange(const Value& firstFieldValue);
    void clearRange();
    bool hasRange() const;

    // Rows a step may pass over without showing them: those whose Boolean field `column`
    // does not hold `shown` (a null hides the row too).
    struct Shown {
        size_t column = 0;
        bool shown = true;
    };

    bool first();
    // As first(), taken as one more step of a walk under way (a detail following its
    // master's step): what this process read is trusted as long as next() trusts it,
    // instead of reading the file's header again. With `only`, on to the first row it
    // shows; false when none does (the cursor is then on no row).
    bool firstInWalk(const Shown* only = nullptr);
    bool last();
    bool next();
    bool prior();
    // As next() or prior(), passing over the rows `only` hides within the one step, so that
    // a hidden row costs its test, not a landing: the row landed on is one `only` shows. A
    // cursor that was not on a row starts from the first (last) row, tested as the others;
    // when no row shows it is then on no row.
    bool step(bool forward, const Shown& only);
    // Stands again on the current row after writes elsewhere (another cursor, another
    // program) without moving: the row as the file holds it now, or the one that followed
    // it when it went away. Before the first move, the first row.
    void catchUp();
    bool atRow() const;     // false only when the view is empty (or before the first move)
    const Row& row() const; // the current row; throws NoCurrentRow
    // The same row with its fields decoded on demand (and copied by assign, not by value).
    const RowImage& image() const;

    // Exact lookup on the leading index fields (as many as given; an Alpha key longer
    // than its field is cut to the field's width). Positions on the first match.
    bool findKey(const std::vector<Value>& key);

    // Rows in the view: the range restricts it, nothing else does.
    int64_t count() const;

    // Posts a new row, which becomes current. A NULL AutoInc field gets the next number.
    // Throws KeyViolation when the primary key exists already.
    void insert(const Row& row);
    // Replaces the current row (its key may change).
    void update(const Row& row);
    // Deletes the current row; the next row becomes current (the previous one when it
    // was the last of the view).
    void remove();

private:
    std::unique_ptr<CursorState> m_state;
};

} // namespace engine
