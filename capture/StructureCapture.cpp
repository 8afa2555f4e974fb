#include "capture/StructureCapture.h"

#include "framework/dataset/NativePath.h"

#include "capture/CaptureHost.h"
#include "capture/CapturePlan.h"
#include "capture/CodeGenerator.h"
#include "engine/TableFile.h"
#include "framework/dataset/Database.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"
#include "framework/dataset/Transaction.h"
#include "lang/FixedTexts.h"
#include "store/DictionaryStore.h"
#include "store/StoreHost.h"

namespace capture {

using dataset::Table;

StructureCapture::StructureCapture(QObject* componentParent, store::DictionaryStore& store,
                                   CaptureHost& host)
    : QObject(componentParent), m_store(store), m_host(host) {
    m_taCheck = new Table(componentParent ? componentParent : this, QStringLiteral("taCheck"));
}

bool StructureCapture::CheckTableName(const QString& fileName) {
    const Table& dico = m_store.taDico();
    m_taCheck->Close();
    m_taCheck->setDatabaseName(dico.DatabaseName());
    m_taCheck->setTableName(dico.TableName());
    // The case-insensitive index on Table; the key is cut to the field's 12
    // characters, so two names that agree on those are the same table.
    m_taCheck->setIndexFieldNames(QStringLiteral("Table"));
    m_taCheck->Open();
    bool found = false;
    try {
        found = m_taCheck->FindKey({fileName});
    } catch (...) {
        m_taCheck->Close();
        throw;
    }
    m_taCheck->Close();
    m_taCheck->setTableName(QString());
    return !found;
}

void StructureCapture::CheckDictionary() {
    // The same object as the dictionary's views: it sees their pending writes.
    engine::TableFile::open(dataset::toNativePath(m_store.NomDico()))->checkAppendPoint();
}

CaptureResult StructureCapture::CaptureTable(const QString& path) {
    // A name that is not UTF-8 is recorded as the letters its bytes were written in.
    const QString fileName = dataset::readableName(SourceFileName(path));
    // One transaction: the dictionary gets every row of the table or none of them,
    // whatever stops the capture (an error, a kill, a power cut). It starts before
    // the name check and the numbering, so that another program capturing into the
    // same dictionary cannot take the name or the numbers in between.
    dataset::Transaction transaction(m_store.dbDico());
    CodeLines code;
    const bool generating = m_host.codeGenerationOn();
    CheckDictionary();
    if (!CheckTableName(fileName)) {
        transaction.rollback(); // the dictionary is let go before the warning waits
        m_store.host().showWarning(lang::fixed::tableNameUsed());
        return CaptureResult::NameInUse;
    }
    const TableStructure structure = readSource(path, fileName);
    const QList<store::DicoRow> rows = PlanCaptureRows(structure, nextNumber());
    // The code is made aside and appended only once every row is in.
    if (generating) {
        CodeGenerator generator(code);
        GenerateTableCode(structure, generator);
    }
    writeRows(rows);
    transaction.commit();
    if (generating)
        code.moveTo(m_host.codeText());
    m_store.host().UpdateCommands();
    return CaptureResult::Captured;
}

void StructureCapture::ShowLineCount() {
    if (!m_host.codeGenerationOn())
        return;
    CodeGenerator(m_host.codeText()).ShowLineCount();
}

TableStructure StructureCapture::readSource(const QString& path, const QString& fileName) {
    // Disconnecting closes the source table of the previous capture, which
    // stays open until then.
    m_store.dbLitTable().Close();
    Table& source = m_store.taLitTable();
    source.setTableName(path);
    source.Open();

    TableStructure structure;
    structure.tableName = RecordedTableName(fileName);
    structure.fileName = fileName;
    for (const dataset::FieldDef& field : source.FieldDefs())
        structure.fields.append({field.Name, int(field.DataType), field.DisplayWidth});
    for (const dataset::IndexDef& index : source.IndexDefs())
        structure.indexes.append({index.Name, index.Fields, index.Options});
    return structure;
}

int StructureCapture::nextNumber() {
    Table& check = m_store.taCheck();
    const Table& dico = m_store.taDico();
    check.Close();
    check.setDatabaseName(dico.DatabaseName());
    check.setTableName(dico.TableName());
    check.setIndexFieldNames(QStringLiteral("NoEnreg"));
    check.Open();
    check.Last();
    const int next =
        check.IsEmpty() ? 1 : check.FieldByName(QStringLiteral("NoEnreg"))->AsInteger() + 1;
    check.Close();
    return next;
}

void StructureCapture::writeRows(const QList<store::DicoRow>& rows) {
    for (const store::DicoRow& row : rows) {
        postRow(row);
        // From the first capture on, the list of tables is in name order.
        if (row.ct)
            m_store.taDico().setIndexFieldNames(QStringLiteral("Table"));
    }
}

void StructureCapture::postRow(const store::DicoRow& row) {
    // Looked up at every row: the data-change event may tie the fields view
    // between two posts, which closes and reopens the tables view.
    Table& dico = m_store.taDico();
    dico.Append();
    try {
        dico.FieldByName(QStringLiteral("NoEnreg"))->setAsInteger(row.noEnreg);
        dico.FieldByName(QStringLiteral("Table"))->setAsString(row.table);
        if (row.description)
            dico.FieldByName(QStringLiteral("Description"))->setAsString(*row.description);
        if (row.champ)
            dico.FieldByName(QStringLiteral("Champ"))->setAsString(*row.champ);
        if (row.type)
            dico.FieldByName(QStringLiteral("Type"))->setAsString(*row.type);
        if (row.longueur)
            dico.FieldByName(QStringLiteral("Longueur"))->setAsInteger(*row.longueur);
        if (row.ct)
            dico.FieldByName(QStringLiteral("CT"))->setAsBoolean(true);
        if (row.cc)
            dico.FieldByName(QStringLiteral("CC"))->setAsBoolean(true);
        dico.Post();
    } catch (...) {
        if (dico.State() == dataset::DataSetState::Insert)
            dico.Cancel();
        throw;
    }
}

} // namespace capture
