#include "DictionaryFixture.h"

#include "framework/dataset/Field.h"

#include <QTest>

using namespace dataset;

DictionaryFixture::DictionaryFixture(const QString& alias) {
    m_db = new Database(&m_owner, alias);
    m_db->setPath(m_dir.path());
}

DictionaryFixture::~DictionaryFixture() {
    // Views first (they hold the files), then the alias. The tests' handlers refer to
    // locals that are gone by now: no event may reach them.
    for (DataSource* ds : m_owner.findChildren<DataSource*>())
        ds->blockSignals(true);
    const QList<Table*> tables = m_owner.findChildren<Table*>();
    for (Table* t : tables)
        t->Close();
}

void DictionaryFixture::createDictionary(const QString& fileName) {
    Table t;
    t.setDatabaseName(m_db->DatabaseName());
    t.setTableName(fileName);
    t.setTableType(TableType::Paradox);
    t.FieldDefs().Clear();
    t.FieldDefs().Add(QStringLiteral("NoEnreg"), ftInteger);
    t.FieldDefs().Add(QStringLiteral("Table"), ftString, 12);
    t.FieldDefs().Add(QStringLiteral("Description"), ftString, 80);
    t.FieldDefs().Add(QStringLiteral("Champ"), ftString, 20);
    t.FieldDefs().Add(QStringLiteral("Type"), ftString, 20);
    t.FieldDefs().Add(QStringLiteral("Longueur"), ftInteger);
    t.FieldDefs().Add(QStringLiteral("CT"), ftBoolean);
    t.FieldDefs().Add(QStringLiteral("CC"), ftBoolean);
    t.IndexDefs().Clear();
    t.IndexDefs().Add(QStringLiteral("IndNoTable"), QStringLiteral("NoEnreg"), ixPrimary);
    t.CreateTable();
    t.AddIndex(QStringLiteral("IndTable"), QStringLiteral("Table"), ixCaseInsensitive);
}

void DictionaryFixture::addRows(const QString& fileName, const QList<DicoRowSpec>& rows) {
    Table t;
    t.setDatabaseName(m_db->DatabaseName());
    t.setTableName(fileName);
    t.Open();
    for (const DicoRowSpec& r : rows)
        appendDicoRow(&t, r);
    t.Close();
}

void DictionaryFixture::createSample(const QString& fileName) {
    createDictionary(fileName);
    addRows(fileName, {{1, "CLIENTS.DB", true, {}},
                       {2, "CLIENTS.DB", false, "Code"},
                       {3, "CLIENTS.DB", false, "Nom"},
                       {4, "ARTICLES.DB", true, {}},
                       {5, "ARTICLES.DB", false, "Ref"},
                       {6, "zeta.db", true, {}},
                       {7, "ZETA.DB", false, "Z1"}});
    // A row that is neither a table entry nor a field entry.
    Table t;
    t.setDatabaseName(m_db->DatabaseName());
    t.setTableName(fileName);
    t.Open();
    t.Append();
    t.FieldByName("NoEnreg")->setAsInteger(8);
    t.FieldByName("Table")->setAsString("ORPHAN.DB");
    t.Post();
}

Table* DictionaryFixture::view(const QString& fileName, const QString& filter,
                               const QString& indexFieldNames, const QString& name) {
    auto* t = new Table(&m_owner, name);
    t->setDatabaseName(m_db->DatabaseName());
    t->setTableName(fileName);
    if (!filter.isEmpty()) {
        t->setFilter(filter);
        t->setFiltered(true);
    }
    t->setIndexFieldNames(indexFieldNames);
    return t;
}

DataSource* DictionaryFixture::source(Table* table, const QString& name) {
    auto* ds = new DataSource(&m_owner, name);
    ds->setDataSet(table);
    return ds;
}

void DictionaryFixture::declareDictionaryFields(Table* table) {
    table->AddField("NoEnreg", ftInteger);
    table->AddField("Table", ftString);
    table->AddField("Description", ftString);
    table->AddField("Champ", ftString);
    table->AddField("Type", ftString);
    table->AddField("Longueur", ftInteger);
    table->AddField("CT", ftBoolean);
    table->AddField("CC", ftBoolean);
}

void appendDicoRow(Table* t, const DicoRowSpec& row) {
    t->Append();
    t->FieldByName("NoEnreg")->setAsInteger(row.no);
    t->FieldByName("Table")->setAsString(row.table);
    if (row.ct) {
        t->FieldByName("Champ")->setAsString({});
        t->FieldByName("Longueur")->setAsInteger(0);
        t->FieldByName("CT")->setAsBoolean(true);
    } else {
        t->FieldByName("Champ")->setAsString(row.champ);
        t->FieldByName("CC")->setAsBoolean(true);
    }
    t->Post();
}

QStringList columnValues(Table* t, const QString& field) {
    QStringList out;
    t->First();
    while (!t->Eof()) {
        out << t->FieldByName(field)->AsString();
        t->Next();
    }
    return out;
}
