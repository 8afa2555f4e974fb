#pragma once

#include <QString>

namespace dataset {
class Table;
}
namespace lang {
class TMultiLang;
}
namespace store {
class DictionaryStore;
}
class Tf_Descrip;

// The four commands that act on the rows of the open dictionary: describing
// the current table entry or field entry through the description dialog, and
// deleting the current table entry (with its field entries and index rows)
// or the current field entry after a question. Messages follow the active
// language of `wordTable` (the main window's). Each command returns whether
// it changed the dictionary; refreshing the window's commands is the
// window's business.
//
// A table is deleted in one transaction of the dictionary's database: an
// error half-way leaves every row where it was, and reaches the user.
class DescriptionCommands {
public:
    DescriptionCommands(store::DictionaryStore& store, const lang::TMultiLang& wordTable,
                        Tf_Descrip& dialog);

    bool DescribeTable();
    bool DescribeField();
    bool DeleteTable();
    bool DeleteField();

private:
    int language() const;
    // Shows the dialog on the current row's description and writes what OK
    // returned, when it is not empty. True when something was written.
    bool describeCurrentRow(dataset::Table& view);
    void refreshViews();
    bool deleteCurrentTable();
    void deleteShownFieldEntries();

    store::DictionaryStore& m_store;
    const lang::TMultiLang& m_wordTable;
    Tf_Descrip& m_dialog;
};
