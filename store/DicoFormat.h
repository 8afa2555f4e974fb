#pragma once

#include <QString>
#include <QStringList>

namespace dataset {
class Table;
}

namespace store {

// The eight fields of a dictionary, in file order.
const QStringList& DicoFieldNames();

// Fills the table's field and index definitions with the dictionary format:
// NoEnreg (integer), Table (12), Description (80), Champ (20), Type (20),
// Longueur (integer), CT and CC (Boolean), none required; the primary index
// IndNoTable on NoEnreg.
void DefineDicoTable(dataset::Table& table);

// Creates the dictionary file the (closed) table names with the
// case-insensitive secondary index IndTable on Table, through which the
// fields view follows the tables view and duplicate names are found. The
// whole family appears at once: after a crash there is no dictionary or a
// whole one. With mustBeNew, an existing table of that name (made meanwhile by
// another program) is not replaced: the engine's AlreadyExists is thrown.
void CreateDicoTable(dataset::Table& table, bool mustBeNew = false);

// Creates an empty dictionary at a full path (the command-line tool's
// --create), replacing nothing: AlreadyExists when a table is there.
void CreateDicoFile(const QString& path);

} // namespace store
