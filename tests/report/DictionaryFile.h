#pragma once
// A dictionary file written row by row, as capture would leave it: one table
// entry per table, then its field entries, numbered in capture order.

#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"
#include "store/DicoFormat.h"

#include <QString>
#include <QVariant>

struct FieldEntry {
    QString champ;
    QString description;
    QString type;
    QVariant longueur; // an invalid QVariant leaves the size empty
};

class DictionaryFile {
public:
    explicit DictionaryFile(const QString& path) : m_path(path) {
        store::CreateDicoFile(path);
        m_table.setTableName(path);
        m_table.Open();
    }
    ~DictionaryFile() { m_table.Close(); }

    void addTable(const QString& name, const QList<FieldEntry>& fields) {
        append(name, [&] { m_table.FieldByName(QStringLiteral("CT"))->setAsBoolean(true); });
        for (const FieldEntry& f : fields)
            append(name, [&] {
                set(QStringLiteral("Champ"), f.champ);
                set(QStringLiteral("Description"), f.description);
                set(QStringLiteral("Type"), f.type);
                if (f.longueur.isValid())
                    m_table.FieldByName(QStringLiteral("Longueur"))
                        ->setAsInteger(f.longueur.toInt());
                m_table.FieldByName(QStringLiteral("CC"))->setAsBoolean(true);
            });
    }
    QString path() const { return m_path; }
    dataset::Table& table() { return m_table; }

private:
    template <class Fill> void append(const QString& tableName, Fill fill) {
        m_table.Append();
        m_table.FieldByName(QStringLiteral("NoEnreg"))->setAsInteger(++m_number);
        set(QStringLiteral("Table"), tableName);
        fill();
        m_table.Post();
    }
    void set(const QString& field, const QString& value) {
        if (!value.isEmpty())
            m_table.FieldByName(field)->setAsString(value);
    }

    QString m_path;
    dataset::Table m_table;
    int m_number = 0;
};
