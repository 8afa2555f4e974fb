#pragma once
// Reads the rows a view shows, in its order, a batch at a time from the first one on,
// without moving the view: each batch starts after the last row read, found again through
// the view's index, and skips the rows the filter hides. Item models read a view this way
// as the grid needs rows, so that showing a view costs the rows shown, not the rows of the
// file. No cursor is kept between batches: a reader never keeps the file open (the last
// view of a file to close writes its index files).
//
// The reader belongs to one state of the view: once the view's contentGeneration() moved,
// what it reads next may not follow what it read before (a model then starts a new one).
// It must not be used after the view is destroyed.

#include "engine/Value.h"

#include <vector>

namespace dataset {

class Table;

class VisibleRowReader {
public:
    // Nothing to read when the view is closed or is a detail without master row.
    explicit VisibleRowReader(const Table& view);

    // Appends up to `count` further visible rows to `rows`.
    void readInto(std::vector<engine::Row>& rows, int count);
    // True once a batch reached the end of the view.
    bool atEnd() const { return m_atEnd; }

private:
    const Table& m_view;
    bool m_started = false;
    bool m_atEnd = false;
    engine::Row m_last; // the last row read, visible or not
};

} // namespace dataset
