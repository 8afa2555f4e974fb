// Table: moving through the view, Bof/Eof, FindKey, counting and re-reading.
//
// Invariant: while the view has a current row, the engine cursor stands on it (or, after
// another view deleted it, on the row that followed it). Moves that fail put the cursor
// back where it was.
//
// The engine cursor finds its row again after writes by others only when it moves; the
// row it holds until then is the one it last read. syncCursor() makes it catch up.
#include "framework/dataset/Table.h"

#include "framework/dataset/DatasetError.h"
#include "framework/dataset/FilterExpression.h"
#include "framework/dataset/ValueConvert.h"

#include "engine/Cursor.h"
#include "engine/TableFile.h"

namespace dataset {

// Makes the cursor catch up with writes through other views without moving: it then stands
// on its row as the file holds it now, or on the row that followed it if it went away.
void Table::syncCursor() {
    m_cursor->catchUp();
}

// Whether the cursor still stands on the view's current row after catching up.
bool Table::cursorOnCurrentRow() {
    syncCursor();
    if (!m_hasRow || !m_cursor->atRow())
        return false;
    // Still the very record the current row was taken from: nothing moved the cursor.
    return m_cursor->image().holdNumber() == m_currentHold || sameRowAtCursor();
}

// As sameRow, reading only the key fields of a keyed table.
bool Table::sameRowAtCursor() const {
    const engine::RowImage& at = m_cursor->image();
    if (at.size() != m_current.size())
        return false;
    if (!m_file->isKeyed())
        return at.row() == currentRow();
    const size_t keys = std::min(size_t(m_file->keyFieldCount()), at.size());
    if (at.sameLeadingBytes(m_current, keys))
        return true;
    for (size_t i = 0; i < keys; ++i)
        if (!(at.value(i) == m_current.value(i)))
            return false;
    return true;
}

// The engine passes over the rows the filter hides within its step, and lands only on a
// row the filter shows.
bool Table::stepVisible(bool forward) {
    if (m_filterColumn < 0)
        return forward ? m_cursor->next() : m_cursor->prior();
    return m_cursor->step(forward, filterShown());
}

engine::Cursor::Shown Table::filterShown() const {
    return {size_t(m_filterColumn), m_filter->expected()};
}

bool Table::seekFromEdge(bool fromStart, bool inWalk) {
    if (m_detailEmpty)
        return false;
    if (fromStart && inWalk && m_filterColumn >= 0) {
        const engine::Cursor::Shown only = filterShown();
        return m_cursor->firstInWalk(&only);
    }
    const bool placed = !fromStart ? m_cursor->last()
                        : inWalk   ? m_cursor->firstInWalk()
                                   : m_cursor->first();
    if (!placed)
        return false;
    return visibleAtCursor() || stepVisible(fromStart);
}

void Table::setCurrentFromCursor() {
    takeCursorRow();
    m_hasRow = true;
    m_onFirstRow = false;
}

// The cursor's row as the current one, remembering which hold of the cursor it was.
void Table::takeCursorRow() {
    m_current.assign(m_cursor->image());
    m_currentHold = m_cursor->image().holdNumber();
}

void Table::setNoRow() {
    m_currentHold = 0;
    m_hasRow = false;
    m_onFirstRow = false;
    m_current.holdNothing(m_file ? m_file->fields().size() : 0);
    m_bof = m_eof = true;
}

// `inWalk`: a detail following its master's step, part of the master's walk.
void Table::positionFirst(bool inWalk) {
    if (seekFromEdge(true, inWalk)) {
        setCurrentFromCursor();
        m_bof = true;
        m_eof = false;
        m_onFirstRow = true;
        m_firstRowGeneration = m_file->generation();
    } else {
        setNoRow();
    }
}

void Table::positionLast() {
    if (seekFromEdge(false)) {
        setCurrentFromCursor();
        m_bof = false;
        m_eof = true;
    } else {
        setNoRow();
    }
}

// After a write or a re-read: the cursor's row when it shows, else the nearest one that
// does, following rows first. `tailKnown`: the hidden tail learned by an earlier landing
// still holds, so that when nothing visible follows, its anchor is the row to land on
// without stepping back over every hidden row (a capture posts hundreds of field rows that
// the tables view hides after the table row it shows).
bool Table::landNearCursor(bool tailKnown) {
    m_hiddenTail.known = false;
    if (m_detailEmpty || !m_cursor->atRow())
        return false;
    if (visibleAtCursor() || stepVisible(true)) {
        setCurrentFromCursor();
        return true;
    }
    if ((tailKnown && landOnTailAnchor()) || stepVisible(false)) {
        setCurrentFromCursor();
        m_hiddenTail.known = true;
        m_hiddenTail.anchor = currentRow();
        return true;
    }
    return false;
}

// Moves the view's cursor onto the anchor of the hidden tail, through the index. A fresh
// cursor does the search, so that a failed one leaves the view's cursor where it was.
bool Table::landOnTailAnchor() {
    std::unique_ptr<engine::Cursor> cursor = makeViewCursor();
    if (!seekThroughIndex(*cursor, m_hiddenTail.anchor) || !visible(cursor->row()))
        return false;
    m_cursor = std::move(cursor);
    return true;
}

bool Table::checkBrowseMode() {
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        return true;
    QPointer<Table> self(this);
    if (m_modified)
        Post();
    else
        Cancel();
    return self && Active();
}

void Table::First() {
    requireActive("aller à la première ligne");
    if (!checkBrowseMode())
        return;
    if (stillOnFirstRow()) {
        m_bof = true;
        m_eof = false;
    } else {
        positionFirst();
    }
    notifyData();
}

// Whether the view stands where positionFirst put it, nothing having been written since
// (here or, as far as the engine sees, by another program).
bool Table::stillOnFirstRow() {
    if (!m_onFirstRow || !m_hasRow || m_firstRowGeneration != m_file->generation())
        return false;
    syncCursor();
    return m_firstRowGeneration == m_file->generation() && cursorOnCurrentRow();
}

void Table::Last() {
    requireActive("aller à la dernière ligne");
    if (!checkBrowseMode())
        return;
    positionLast();
    notifyData();
}

void Table::Next() {
    requireActive("aller à la ligne suivante");
    if (!checkBrowseMode())
        return;
    if (!m_hasRow) {
        m_bof = m_eof = true;
        return;
    }
    // When another view deleted our row, the cursor catches up on the one after it.
    const bool successorReady = !cursorOnCurrentRow() && m_cursor->atRow() && visibleAtCursor();
    if (successorReady || stepVisible(true)) {
        setCurrentFromCursor();
        m_bof = m_eof = false;
        notifyData();
    } else {
        m_bof = false;
        m_eof = true;
    }
}

void Table::Prior() {
    requireActive("aller à la ligne précédente");
    if (!checkBrowseMode())
        return;
    if (!m_hasRow) {
        m_bof = m_eof = true;
        return;
    }
    if (stepVisible(false)) {
        setCurrentFromCursor();
        m_bof = m_eof = false;
        notifyData();
    } else {
        m_bof = true;
        m_eof = false;
    }
}

bool Table::IsEmpty() const {
    return !Active() || (!m_hasRow && m_state != DataSetState::Insert);
}

int Table::RecordCount() const {
    requireActive("compter les lignes");
    if (m_detailEmpty)
        return 0;
    return int(m_cursor->count());
}

int Table::shownRowCount() const {
    requireActive("compter les lignes");
    if (m_detailEmpty)
        return 0;
    if (m_filterColumn < 0)
        return RecordCount();
    std::unique_ptr<engine::Cursor> cursor = makeViewCursor();
    int shown = 0;
    for (bool more = cursor->first(); more; more = cursor->next())
        shown += visibleImage(cursor->image()) ? 1 : 0;
    return shown;
}

bool Table::sameRow(const engine::Row& a, const engine::Row& b) const {
    if (a.size() != b.size())
        return false;
    if (!m_file || !m_file->isKeyed())
        return a == b;
    const int keys = std::min<int>(m_file->keyFieldCount(), int(a.size()));
    for (int i = 0; i < keys; ++i)
        if (!(a[i] == b[i]))
            return false;
    return true;
}

bool Table::keyMatches(const engine::Row& row, const std::vector<engine::Value>& key) const {
    for (size_t i = 0; i < key.size() && i < m_indexColumns.size(); ++i) {
        const engine::Value& a = row[m_indexColumns[i]];
        const engine::Value& b = key[i];
        if (m_indexCaseInsensitive && a.kind == engine::Value::Kind::Text &&
            b.kind == engine::Value::Kind::Text) {
            if (QString::fromStdString(a.text).compare(QString::fromStdString(b.text),
                                                       Qt::CaseInsensitive) != 0)
                return false;
        } else if (!(a == b)) {
            return false;
        }
    }
    return true;
}

// Puts the cursor on `target` through the current index: a lookup, then a walk over the
// rows that share its index key. False when the index cannot find it.
bool Table::seekThroughIndex(engine::Cursor& cursor, const engine::Row& target) const {
    if (m_indexColumns.empty())
        return false;
    std::vector<engine::Value> key;
    for (int col : m_indexColumns)
        key.push_back(target[col]);
    if (!cursor.findKey(key))
        return false;
    do {
        if (sameRow(cursor.row(), target))
            return true;
    } while (cursor.next() && keyMatches(cursor.row(), key));
    return false;
}

// Puts the cursor back on `target` (the same row by primary key, or by all its values in
// a table without key): first through the current index, then by walking the view.
bool Table::relocate(const engine::Row& target) {
    return seekThroughIndex(*m_cursor, target) || walkTo(*m_cursor, target);
}

// Puts `cursor` on `target` through the index, or by walking when the view has none (a
// table without key in its file order).
bool Table::findRow(engine::Cursor& cursor, const engine::Row& target) const {
    return m_indexColumns.empty() ? walkTo(cursor, target) : seekThroughIndex(cursor, target);
}

bool Table::walkTo(engine::Cursor& cursor, const engine::Row& target) const {
    if (!cursor.first())
        return false;
    do {
        if (sameRow(cursor.row(), target))
            return true;
    } while (cursor.next());
    return false;
}

bool Table::FindKey(const QVariantList& keyValues) {
    requireActive("chercher une clé");
    if (!checkBrowseMode() || m_detailEmpty)
        return false;
    if (keyValues.isEmpty() || keyValues.size() > qsizetype(m_indexColumns.size()))
        throw DatasetError(QStringLiteral("Recherche impossible dans la table %1 : %2 valeur(s) "
                                          "de clé pour un index de %3 champ(s)")
                               .arg(quoted(displayName()))
                               .arg(keyValues.size())
                               .arg(m_indexColumns.size()));
    std::vector<engine::Value> key;
    for (qsizetype i = 0; i < keyValues.size(); ++i) {
        const engine::FieldInfo& info = m_file->fields()[m_indexColumns[i]];
        const convert::Target target{info, displayName()};
        key.push_back(convert::fitToField(convert::fromVariant(keyValues[i], target), info));
    }
    const bool had = m_hasRow;
    const engine::Row saved = currentRow();
    bool found = m_cursor->findKey(key);
    // The first match may be hidden by the filter; a later one with the same key may not.
    while (found && !visibleAtCursor())
        found = m_cursor->next() && keyMatches(m_cursor->row(), key);
    if (found) {
        setCurrentFromCursor();
        m_bof = m_eof = false;
        notifyData();
        return true;
    }
    if (had)
        relocate(saved);
    return false;
}

void Table::resync() {
    syncCursor();
    if (m_hasRow && landNearCursor())
        return; // Bof/Eof keep their meaning for the same row
    positionFirst();
}

bool Table::ChangedElsewhere() {
    return Active() && m_file && m_file->refresh();
}

void Table::Refresh() {
    requireActive("rafraîchir");
    if (!checkBrowseMode())
        return;
    resync();
    ++m_viewGeneration;
    notifyData();
}

// ---- For item models --------------------------------------------------------------------

bool Table::isCurrentRow(const engine::Row& row) const {
    return Active() && m_hasRow && sameRow(row, currentRow());
}

bool Table::moveToRow(const engine::Row& row) {
    requireActive("changer de ligne");
    if (!checkBrowseMode() || m_detailEmpty)
        return false;
    // A fresh cursor searches, so that a row gone meanwhile leaves the view where it was.
    std::unique_ptr<engine::Cursor> cursor = makeViewCursor();
    if (!findRow(*cursor, row) || !visible(cursor->row()))
        return false;
    m_cursor = std::move(cursor);
    setCurrentFromCursor();
    m_bof = m_eof = false;
    notifyData();
    return true;
}

quint64 Table::contentGeneration() const {
    return (m_viewGeneration << 32) ^ (m_file ? m_file->generation() : 0);
}

} // namespace dataset
