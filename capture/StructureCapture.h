#pragma once

#include "capture/CaptureOutcome.h"
#include "capture/TableStructure.h"
#include "store/DicoRow.h"

#include <QList>
#include <QObject>

namespace dataset {
class Table;
}
namespace store {
class DictionaryStore;
}

namespace capture {

class CodeText;

// Records the structure of a source table in the open dictionary: a table
// entry, one field entry per field and one index row per index, numbered
// after the highest number in the dictionary, and makes the table's creation
// code when asked to. It shows nothing: its caller is told what happened.
//
// A capture is all or nothing: the whole structure is read before the first
// row is written, and the rows are written in one transaction of the
// dictionary's database, so that a failure, a kill or a power cut part way
// leaves none of them; no code is returned then, and the engine's error is
// raised to the caller. On success rows, numbers and code are the same as if
// they had been produced one by one.
class StructureCapture : public QObject {
    Q_OBJECT
public:
    // The duplicate check uses a view of its own, taCheck, made a child of
    // componentParent (the add-tables window).
    StructureCapture(QObject* componentParent, store::DictionaryStore& store);

    // The add command's capture of one file, given by its full path. A table
    // name already in the dictionary is refused: nothing is written and the
    // outcome carries the refusal's text.
    CaptureOutcome CaptureTable(const QString& path, CodeGeneration generation);
    // Throws the engine's error when the open dictionary is damaged where captured
    // rows go (its header's counters, its file size, the links around its last
    // block). Each capture checks it first; a command capturing several tables
    // checks it before the first, so that damage refuses all of them.
    void CheckDictionary();
    // True when no row of the open dictionary carries this table name (only
    // its first 12 characters count, letter case is ignored).
    bool CheckTableName(const QString& fileName);
    // Puts the length of a code text into its title.
    static void ShowLineCount(CodeText& text);

    dataset::Table& taCheck() const { return *m_taCheck; }

private:
    TableStructure readSource(const QString& path, const QString& fileName);
    void writeRows(const QList<store::DicoRow>& rows);
    void postRow(const store::DicoRow& row);

    store::DictionaryStore& m_store;
    dataset::Table* m_taCheck;
};

} // namespace capture
