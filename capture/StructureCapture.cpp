#include "capture/StructureCapture.h"

#include "framework/dataset/NativePath.h"

#include "capture/CapturePlan.h"
#include "capture/CodeGenerator.h"
#include "engine/TableFile.h"
#include "framework/dataset/Database.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"
#include "framework/dataset/Transaction.h"
#include "lang/FixedTexts.h"
#include "store/DicoRules.h"
#include "store/DictionaryStore.h"

namespace capture {

using dataset::Table;

StructureCapture::StructureCapture(QObject* componentParent, store::DictionaryStore& store)
    : QObject(componentParent), m_store(store) {
    m_taCheck = new Table(componentParent ? componentParent : this, QStringLiteral("taCheck"));
}

bool StructureCapture::CheckTableName(const QString& fileName) {
    return !store::DicoRules::NameTaken(*m_taCheck, m_store.taDico(), fileName);
}

void StructureCapture::CheckDictionary() {
    // The same object as the dictionary's views: it sees their pending writes.
    engine::TableFile::open(dataset::toNativePath(m_store.NomDico()))->checkAppendPoint();
}

CaptureOutcome StructureCapture::CaptureTable(const QString& path, CodeGeneration generation) {
    CaptureOutcome outcome;
    outcome.generation = generation;
    // A name that is not UTF-8 is recorded as the letters its bytes were written in.
    const QString fileName = dataset::readableName(SourceFileName(path));
    // One transaction: the dictionary gets every row of the table or none of them,
    // whatever stops the capture (an error, a kill, a power cut). It starts before
    // the name check and the numbering, so that another program capturing into the
    // same dictionary cannot take the name or the numbers in between.
    dataset::Transaction transaction(m_store.dbDico());
    CheckDictionary();
    if (!CheckTableName(fileName)) {
        transaction.rollback(); // the dictionary is let go before the refusal is shown
        outcome.result = CaptureResult::NameInUse;
        outcome.refusal = lang::fixed::tableNameUsed();
        return outcome;
    }
    const TableStructure structure = readSource(path, fileName);
    const QList<store::DicoRow> rows = PlanCaptureRows(
        structure, store::DicoRules::NextNumber(m_store.taCheck(), m_store.taDico()));
    // The code is made aside and handed over only once every row is in.
    CodeLines code;
    if (outcome.generating()) {
        CodeGenerator generator(code);
        GenerateTableCode(structure, generator);
    }
    writeRows(rows);
    transaction.commit();
    outcome.code = code.lines();
    m_store.ReopenFieldsView();
    return outcome;
}

void StructureCapture::ShowLineCount(CodeText& text) {
    CodeGenerator(text).ShowLineCount();
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
