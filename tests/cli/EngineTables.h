#pragma once
// Tables and dictionary descriptions written through our engine, as the program
// itself would write them, for the CLI tests to read back.

#include "engine/Cursor.h"
#include "engine/TableDefinition.h"
#include "engine/TableFile.h"

#include <QString>

#include <filesystem>
#include <vector>

namespace enginetables {

// Makes the table (replacing one of that name) and posts the rows in order.
inline void writeTable(const std::filesystem::path& file,
                       const std::vector<engine::FieldDef>& fields,
                       const std::vector<engine::IndexDef>& indexes,
                       const std::vector<engine::Row>& rows) {
    engine::createTable(file, fields, indexes);
    auto table = engine::TableFile::open(file);
    engine::Cursor cursor(table);
    for (const engine::Row& row : rows)
        cursor.insert(row);
    table->flush();
}

// Sets the description of the table entry of `table` (champ empty) or of its field
// entry `champ`, through the engine as the window's grid would. A table's first index
// without options is a field entry with an empty Champ too: the entry kind tells them
// apart.
inline void describe(const QString& dict, const QString& table, const QString& champ,
                     const QString& text) {
    auto file = engine::TableFile::open(dict.toStdString());
    const size_t tableAt = size_t(file->fieldIndex("Table"));
    const size_t champAt = size_t(file->fieldIndex("Champ"));
    const size_t descriptionAt = size_t(file->fieldIndex("Description"));
    const size_t kindAt = size_t(file->fieldIndex(champ.isEmpty() ? "CT" : "CC"));
    engine::Cursor cursor(file);
    for (bool more = cursor.first(); more; more = cursor.next()) {
        engine::Row row = cursor.row();
        if (QString::fromStdString(row[tableAt].text) != table ||
            QString::fromStdString(row[champAt].text) != champ ||
            row[kindAt].kind != engine::Value::Kind::Boolean || !row[kindAt].boolean)
            continue;
        row[descriptionAt] = engine::Value::fromText(text.toStdString());
        cursor.update(row);
    }
    file->flush();
}

} // namespace enginetables
