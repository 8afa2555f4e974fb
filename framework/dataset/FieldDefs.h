#pragma once
// The field definitions of a table: what CreateTable creates, and, once the table has been
// opened (or Update() called), what the file holds.

#include "framework/dataset/DataTypes.h"

#include <QList>
#include <QString>

namespace dataset {

class Table;

struct FieldDef {
    QString Name;
    FieldType DataType = ftUnknown;
    // String and Bytes: length; BCD: decimals; BLOB kinds: leader length; others 0.
    int Size = 0;
    bool Required = false;
    // As read from a file: the display width the dataset layer gives the field
    // (a string field's length, 10 for every other type). 0 for definitions added by hand.
    int DisplayWidth = 0;
};

class FieldDefs {
public:
    explicit FieldDefs(Table* owner = nullptr) : m_owner(owner) {}

    void Clear() { m_items.clear(); }
    void Add(const QString& name, FieldType type, int size = 0, bool required = false);
    int Count() const { return int(m_items.size()); }
    const FieldDef& Items(int i) const { return m_items.at(i); }
    const FieldDef& operator[](int i) const { return m_items.at(i); }
    // Position of the definition with that name (letter case ignored), -1 if none.
    int IndexOf(const QString& name) const;
    // Re-reads the definitions from the owner table's file (it need not be open).
    void Update();

    QList<FieldDef>::const_iterator begin() const { return m_items.begin(); }
    QList<FieldDef>::const_iterator end() const { return m_items.end(); }

private:
    friend class Table;
    Table* m_owner;
    QList<FieldDef> m_items;
};

} // namespace dataset
