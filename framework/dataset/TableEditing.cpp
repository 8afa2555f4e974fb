// Table: Append/Insert, Edit, Post, Cancel, Delete and setting field values.
#include "framework/dataset/Table.h"

#include "framework/dataset/Database.h"
#include "framework/dataset/DatasetError.h"
#include "framework/dataset/Field.h"

#include "engine/Cursor.h"
#include "engine/TableFile.h"

namespace dataset {

void Table::setState(DataSetState state) {
    m_state = state;
}

// Raises stateChanged then dataChanged, stopping when a stateChanged handler closed the view.
void Table::notifyStateAndData() {
    QPointer<Table> self(this);
    notifyState();
    if (self && Active())
        notifyData();
}

void Table::Append() {
    requireActive("ajouter une ligne");
    if (!checkBrowseMode())
        return;
    m_buffer = m_file->emptyRow();
    // A detail's new row belongs to the master's current row from the start.
    if (m_haveRangeKey && !m_indexColumns.empty())
        m_buffer[m_indexColumns.front()] = m_rangeKey;
    m_modified = false;
    setState(DataSetState::Insert);
    notifyStateAndData();
}

void Table::Insert() {
    // Rows take their place by the index when posted: inserting is appending.
    Append();
}

void Table::Edit() {
    requireActive("modifier une ligne");
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert)
        return;
    if (!m_hasRow)
        throw DatasetError(QStringLiteral("Impossible de modifier : la table %1 ne montre aucune "
                                          "ligne")
                               .arg(quoted(displayName())));
    // Start from the row as the file holds it now (another view may have changed it).
    requireCurrentRowPresent("modifier");
    takeCursorRow();
    m_buffer = currentRow();
    m_modified = false;
    setState(DataSetState::Edit);
    notifyStateAndData();
}

void Table::Post() {
    requireActive("enregistrer la ligne");
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        return;
    // A refused row (key violation, disk full) leaves the view in Edit or Insert state with
    // the values typed, as it was before Post.
    enlistInTransaction();
    const quint64 before = contentGeneration();
    const bool tailKnown = m_hiddenTail.known && m_hiddenTail.generation == before;
    const bool inserting = m_state == DataSetState::Insert;
    const engine::Row previous = inserting ? engine::Row() : currentRow();
    if (inserting) {
        m_cursor->insert(m_buffer);
    } else {
        // The engine replaces the row its cursor stands on: make sure it is still ours, so
        // that a row deleted meanwhile through another view never gets its successor
        // overwritten. The edit is then dropped: there is no row left to write it to.
        requireCurrentRowPresent("enregistrer");
        m_cursor->update(m_buffer);
    }
    const engine::Row written = m_cursor->row();
    m_modified = false;
    m_buffer.clear();
    setState(DataSetState::Browse);
    if (landNearCursor(tailKnown))
        m_bof = m_eof = false;
    else
        setNoRow();
    ++m_viewGeneration;
    m_hiddenTail.generation = contentGeneration();
    recordWrite(before, inserting, previous, written);
    notifyStateAndData();
}

void Table::recordWrite(quint64 before, bool inserted, const engine::Row& previous,
                        const engine::Row& written) {
    m_lastWrite.before = before;
    m_lastWrite.after = contentGeneration();
    m_lastWrite.inserted = inserted;
    m_lastWrite.shows = visible(written);
    m_lastWrite.samePlace = !inserted && samePlace(previous, written);
    m_lastWrite.written = written;
}

// Whether an updated row kept its place among the visible rows: still visible, same
// primary key, same values in the current index's fields. A table without key orders
// equal rows by their place in the file, which an update may change.
bool Table::samePlace(const engine::Row& before, const engine::Row& after) const {
    if (!m_file->isKeyed() || before.size() != after.size() || !visible(before) ||
        !visible(after) || !sameRow(before, after))
        return false;
    for (int col : m_indexColumns)
        if (!(before[col] == after[col]))
            return false;
    return true;
}

// A write inside its database's transaction makes the file part of it.
void Table::enlistInTransaction() {
    if (m_database && m_database->InTransaction())
        m_database->enlist(m_file);
}

void Table::Cancel() {
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        return;
    m_modified = false;
    m_buffer.clear();
    setState(DataSetState::Browse);
    notifyStateAndData();
}

void Table::Delete() {
    requireActive("supprimer une ligne");
    if (m_state == DataSetState::Insert) {
        Cancel(); // the new row was never written
        return;
    }
    if (!m_hasRow)
        throw DatasetError(QStringLiteral("Impossible de supprimer : la table %1 ne montre "
                                          "aucune ligne")
                               .arg(quoted(displayName())));
    const bool wasEditing = m_state == DataSetState::Edit;
    requireCurrentRowPresent("supprimer");
    // Whether a row follows decides Eof afterwards: the next row becomes current, and
    // when the last row went the previous one does, with Eof set.
    const bool hasNext = stepVisible(true);
    if (hasNext)
        stepVisible(false);
    enlistInTransaction();
    m_cursor->remove();
    m_modified = false;
    m_buffer.clear();
    setState(DataSetState::Browse);
    if (landNearCursor()) {
        m_bof = false;
        m_eof = !hasNext;
    } else {
        setNoRow();
    }
    ++m_viewGeneration;
    if (wasEditing)
        notifyStateAndData();
    else
        notifyData();
}

// Refuses to act on a row that another view deleted (or re-keyed) meanwhile: the view
// moves to the row that followed it and the caller's operation stops with an error.
void Table::requireCurrentRowPresent(const char* what) {
    if (cursorOnCurrentRow())
        return;
    if (m_state == DataSetState::Edit) {
        m_buffer.clear();
        m_modified = false;
        setState(DataSetState::Browse);
    }
    resync();
    ++m_viewGeneration;
    notifyStateAndData();
    throw DatasetError(QStringLiteral("Impossible de %1 : la ligne courante de la table %2 a été "
                                      "supprimée par une autre vue")
                           .arg(QString::fromUtf8(what), quoted(displayName())));
}

void Table::setFieldValue(Field* field, engine::Value value) {
    if (field->m_table != this || field->m_column < 0 || !Active())
        throw DatasetError(QStringLiteral("Le champ %1 de la table %2 n'est pas disponible : la "
                                          "table est fermée")
                               .arg(quoted(field->FieldName()), quoted(displayName())));
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        throw DatasetError(QStringLiteral("Impossible de modifier le champ %1 : la table %2 "
                                          "n'est ni en modification ni en insertion")
                               .arg(quoted(field->FieldName()), quoted(displayName())));
    m_buffer[field->m_column] = std::move(value);
    m_modified = true;
    notifyData(field);
}

} // namespace dataset
