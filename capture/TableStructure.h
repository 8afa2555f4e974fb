#pragma once

#include <QList>
#include <QString>

namespace capture {

// One field of a source table as the engine reports it.
struct SourceField {
    QString name;
    int typeCode = 0;     // 0..21, see FieldTypeName
    int displayWidth = 0; // declared length of a string, 10 for other types
};

// One index of a source table, in the engine's order (primary first).
struct SourceIndex {
    QString name;         // may be empty
    QString fieldList;    // key field names joined by ";", empty for an expression
    unsigned options = 0; // IndexOption bits
};

// Everything a capture needs of a source table, read before anything is
// written so that a capture can be all or nothing.
struct TableStructure {
    QString tableName; // the file name cut to the dictionary's table width
    QString fileName;  // the whole file name: the generated code must open the real table
    QList<SourceField> fields;
    QList<SourceIndex> indexes;
};

// The file name of a source path: what follows its last ':', '\' or '/'.
QString SourceFileName(const QString& path);
// The name a table is recorded under: its file name cut to 12 characters.
QString RecordedTableName(const QString& fileName);

} // namespace capture
