#pragma once
// Test fixture: a temporary data folder with a database alias pointing at it, and
// dictionary tables (the program's eight fields, a primary index on NoEnreg and the
// case-insensitive index IndTable on Table) written through the dataset layer.

#include "framework/dataset/DataSource.h"
#include "framework/dataset/Database.h"
#include "framework/dataset/Table.h"

#include <QObject>
#include <QTemporaryDir>

struct DicoRowSpec {
    int no;
    QString table;
    bool ct;       // table entry
    QString champ; // field entries: field name
};

class DictionaryFixture {
public:
    explicit DictionaryFixture(const QString& alias = QStringLiteral("dbTest"));
    ~DictionaryFixture();

    QString dir() const { return m_dir.path(); }
    dataset::Database* db() const { return m_db; }
    QObject* owner() { return &m_owner; }

    // Creates the dictionary `fileName` in the data folder (replacing it).
    void createDictionary(const QString& fileName);
    // Appends rows through a view of its own.
    void addRows(const QString& fileName, const QList<DicoRowSpec>& rows);
    // The usual sample: CLIENTS.DB (1) with Code (2) and Nom (3); ARTICLES.DB (4) with Ref
    // (5); zeta.db (6) whose field entry Z1 (7) spells its table ZETA.DB; a row with neither
    // flag (8).
    void createSample(const QString& fileName);

    // A view on the alias, owned by the fixture.
    dataset::Table* view(const QString& fileName, const QString& filter = {},
                         const QString& indexFieldNames = {}, const QString& name = {});
    dataset::DataSource* source(dataset::Table* table, const QString& name = {});
    // Declares the eight dictionary fields as the view's fixed field list.
    static void declareDictionaryFields(dataset::Table* table);

private:
    QTemporaryDir m_dir;
    QObject m_owner;
    dataset::Database* m_db;
};

// Appends one dictionary row through `t` (open, Browse) and posts it.
void appendDicoRow(dataset::Table* t, const DicoRowSpec& row);
// The values of one field over the whole view, walking it from the first row.
QStringList columnValues(dataset::Table* t, const QString& field);
