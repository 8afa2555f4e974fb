#include "cli/DictionaryReader.h"

#include "engine/TableFile.h"
#include "store/DicoFormat.h"
#include "store/DicoRules.h"

#include <algorithm>
#include <stdexcept>

namespace cli {

namespace {

// Positions of the eight dictionary fields in the file's rows, in DicoFieldNames order.
std::vector<size_t> columnPositions(const engine::TableFile& table) {
    std::vector<size_t> positions;
    for (const QString& name : store::DicoFieldNames()) {
        const int index = table.fieldIndex(name.toStdString());
        if (index < 0)
            throw std::runtime_error("ce n'est pas un dictionnaire : le champ " +
                                     name.toStdString() + " manque");
        positions.push_back(size_t(index));
    }
    return positions;
}

std::optional<QString> optionalText(const engine::Value& v) {
    if (v.kind != engine::Value::Kind::Text)
        return std::nullopt;
    return QString::fromStdString(v.text);
}

store::DicoRow dicoRow(const engine::Row& row, const std::vector<size_t>& at) {
    store::DicoRow r;
    r.noEnreg = int(row[at[0]].integer);
    r.table = optionalText(row[at[1]]).value_or(QString());
    r.description = optionalText(row[at[2]]);
    r.champ = optionalText(row[at[3]]);
    r.type = optionalText(row[at[4]]);
    if (row[at[5]].kind == engine::Value::Kind::Integer)
        r.longueur = int(row[at[5]].integer);
    r.ct = row[at[6]].kind == engine::Value::Kind::Boolean && row[at[6]].boolean;
    r.cc = row[at[7]].kind == engine::Value::Kind::Boolean && row[at[7]].boolean;
    return r;
}

std::vector<store::DicoRow> rowsInNumberOrder(const std::string& path) {
    const auto table = engine::TableFile::open(path);
    const std::vector<size_t> at = columnPositions(*table);
    std::vector<store::DicoRow> rows;
    table->forEachRow([&](const engine::Row& row) {
        rows.push_back(dicoRow(row, at));
        return true;
    });
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto& a, const auto& b) { return a.noEnreg < b.noEnreg; });
    return rows;
}

} // namespace

bool DictionaryReader::isDictionary(const std::string& path) {
    const auto table = engine::TableFile::open(path);
    for (const QString& name : store::DicoFieldNames())
        if (table->fieldIndex(name.toStdString()) < 0)
            return false;
    return true;
}

bool DictionaryReader::isIndexRow(const store::DicoRow& row) {
    return store::DicoRules::IsIndexRow(row.type.value_or(QString()));
}

std::vector<RecordedTable> DictionaryReader::read(const std::string& path) {
    std::vector<RecordedTable> tables;
    // Field entries find their table by name, in any letter case, as the fields view
    // finds them through the case-insensitive index on Table.
    auto tableNamed = [&](const QString& name) -> RecordedTable& {
        for (RecordedTable& t : tables)
            if (t.entry.table.compare(name, Qt::CaseInsensitive) == 0)
                return t;
        RecordedTable orphan; // field entries whose table entry is gone
        orphan.entry.table = name;
        orphan.entry.ct = true;
        tables.push_back(orphan);
        return tables.back();
    };
    for (const store::DicoRow& row : rowsInNumberOrder(path)) {
        RecordedTable& table = tableNamed(row.table);
        if (row.ct)
            table.entry = row;
        else if (isIndexRow(row))
            table.indexes.append(row);
        else
            table.fields.append(row);
    }
    return tables;
}

} // namespace cli
