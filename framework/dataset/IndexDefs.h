#pragma once
// The index definitions of a table: what CreateTable creates alongside the fields, and, once
// the table has been opened (or Update() called), the file's indexes, primary first.

#include "framework/dataset/DataTypes.h"

#include <QList>
#include <QString>

namespace dataset {

class Table;

struct IndexDef {
    QString Name;   // may be empty (the primary index of a file has no name)
    QString Fields; // key field names joined by ';', empty for an expression index
    IndexOptions Options = 0;
};

class IndexDefs {
public:
    explicit IndexDefs(Table* owner = nullptr) : m_owner(owner) {}

    void Clear() { m_items.clear(); }
    void Add(const QString& name, const QString& fields, IndexOptions options);
    int Count() const { return int(m_items.size()); }
    const IndexDef& Items(int i) const { return m_items.at(i); }
    const IndexDef& operator[](int i) const { return m_items.at(i); }
    // Position of the index with that name (letter case ignored), -1 if none.
    int IndexOf(const QString& name) const;
    // Re-reads the definitions from the owner table's file (it need not be open).
    void Update();

    QList<IndexDef>::const_iterator begin() const { return m_items.begin(); }
    QList<IndexDef>::const_iterator end() const { return m_items.end(); }

private:
    friend class Table;
    Table* m_owner;
    QList<IndexDef> m_items;
};

} // namespace dataset
