#include "describe/DescriptionCommands.h"

#include "describe/Tf_Descrip.h"

#include "framework/dataset/Database.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"
#include "framework/dataset/Transaction.h"
#include "framework/widgets/Edit.h"
#include "framework/widgets/MessageDlg.h"
#include "lang/Messages.h"
#include "lang/TMultiLang.h"
#include "store/DicoRules.h"
#include "store/DictionaryStore.h"

namespace {

const QString kDescription = QStringLiteral("Description");

QString fieldText(const dataset::Table& view, const QString& name) {
    const dataset::Field* field = view.FieldByName(name);
    return field->IsNull() ? QString() : field->AsString();
}

bool ask(const QString& question) {
    return widgets::MessageDlg(question, widgets::mtConfirmation, widgets::mbYesNo) ==
           widgets::mrYes;
}

} // namespace

DescriptionCommands::DescriptionCommands(store::DictionaryStore& store,
                                         const lang::TMultiLang& wordTable, Tf_Descrip& dialog)
    : m_store(store), m_wordTable(wordTable), m_dialog(dialog) {}

int DescriptionCommands::language() const {
    return m_wordTable.ActiveLanguage();
}

// ---- Describing ---------------------------------------------------------------------

bool DescriptionCommands::DescribeTable() {
    dataset::Table& tables = m_store.taDico();
    if (!tables.Active() || tables.IsEmpty() || !describeCurrentRow(tables))
        return false;
    refreshViews();
    return true;
}

bool DescriptionCommands::DescribeField() {
    dataset::Table& fields = m_store.taChamps();
    if (!fields.Active() || fields.IsEmpty())
        return false;
    if (store::DicoRules::DescriptionLocked(fieldText(fields, QStringLiteral("Type")))) {
        widgets::MessageDlg(lang::Messages::text(lang::Msg::IndexDescriptionRefused, language()),
                            widgets::mtWarning, widgets::mbOK);
        return false;
    }
    if (!describeCurrentRow(fields))
        return false;
    refreshViews();
    return true;
}

bool DescriptionCommands::describeCurrentRow(dataset::Table& view) {
    m_dialog.chDescription->setText(fieldText(view, kDescription));
    if (m_dialog.showModal() != widgets::mrOk)
        return false;
    // An empty text never replaces a description: the dialog cannot clear one.
    const QString text = m_dialog.chDescription->text();
    if (text.isEmpty())
        return false;
    view.Edit();
    view.FieldByName(kDescription)->setAsString(text);
    view.Post();
    return true;
}

// Both views read the file again and keep their rows, the fields view first.
void DescriptionCommands::refreshViews() {
    m_store.ReopenFieldsView();
    for (dataset::Table* view : {&m_store.taChamps(), &m_store.taDico()}) {
        if (view->Active())
            view->Refresh();
    }
}

// ---- Deleting -----------------------------------------------------------------------

bool DescriptionCommands::DeleteTable() {
    dataset::Table& tables = m_store.taDico();
    if (!tables.Active() || !m_store.taChamps().Active())
        return false;
    const QString question = lang::Messages::text(lang::Msg::DeleteTableQuestion, language()) +
                             QLatin1Char(' ') + fieldText(tables, QStringLiteral("Table"));
    return ask(question) && deleteCurrentTable();
}

// The table entry goes whenever the tables view has a current row, with the
// field entries and index rows the tied fields view shows; all of it or
// nothing, so that no field entry is ever left without its table entry.
bool DescriptionCommands::deleteCurrentTable() {
    dataset::Table& tables = m_store.taDico();
    if (tables.IsEmpty())
        return false;
    dataset::Transaction transaction(m_store.dbDico());
    try {
        // A dictionary holding this one row has no field entry to delete; the
        // fields view would only follow the table entry into nothing.
        if (tables.RecordCount() == 1)
            m_store.taChamps().Close();
        else
            deleteShownFieldEntries();
        tables.Delete();
        transaction.commit();
    } catch (...) {
        transaction.rollback(); // the rows are back: so is the fields view
        m_store.ReopenFieldsView();
        throw;
    }
    return true;
}

void DescriptionCommands::deleteShownFieldEntries() {
    dataset::Table& fields = m_store.taChamps();
    if (fields.RecordCount() == 0)
        return;
    fields.First();
    while (!fields.Eof() && !fields.IsEmpty())
        fields.Delete();
}

bool DescriptionCommands::DeleteField() {
    dataset::Table& fields = m_store.taChamps();
    if (!m_store.taDico().Active() || !fields.Active())
        return false;
    const QString question = lang::Messages::text(lang::Msg::DeleteFieldQuestion, language()) +
                             fieldText(fields, QStringLiteral("Champ"));
    if (!ask(question) || fields.IsEmpty())
        return false;
    fields.Delete();
    return true;
}
