#pragma once
// Reads the rows a view shows, in its order, from the first one on, without moving the
// view: its own cursor walks the view's order within its master–detail range and skips
// the rows the filter hides. Item models read a view this way a batch at a time, so that
// showing a view costs the rows shown, not the rows of the file.
//
// The reader belongs to one state of the view: once the view's contentGeneration() moved,
// what it reads next may not follow what it read before (a model then starts a new one).
// It must not outlive the view's current opening.

#include "engine/Value.h"

#include <memory>

namespace engine {
class Cursor;
}

namespace dataset {

class Table;

class VisibleRowReader {
public:
    // Nothing to read when the view is closed or is a detail without master row.
    explicit VisibleRowReader(const Table& view);
    ~VisibleRowReader();
    VisibleRowReader(const VisibleRowReader&) = delete;
    VisibleRowReader& operator=(const VisibleRowReader&) = delete;

    // The next visible row into `row`; false once the view is read to its end.
    bool next(engine::Row& row);
    bool atEnd() const { return m_atEnd; }

private:
    const Table& m_view;
    std::unique_ptr<engine::Cursor> m_cursor;
    bool m_started = false;
    bool m_atEnd = false;
};

} // namespace dataset
