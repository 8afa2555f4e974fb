#include "capture/CapturePlan.h"

#include "capture/FieldTypes.h"
#include "capture/IndexOptions.h"

#include <algorithm>

namespace capture {

QString SourceFileName(const QString& path) {
    const qsizetype cut =
        std::max({path.lastIndexOf(QLatin1Char(':')), path.lastIndexOf(QLatin1Char('\\')),
                  path.lastIndexOf(QLatin1Char('/'))});
    return path.mid(cut + 1);
}

QString RecordedTableName(const QString& fileName) {
    return fileName.left(store::kTableWidth);
}

namespace {

store::DicoRow tableEntry(const TableStructure& table, int no) {
    store::DicoRow row;
    row.noEnreg = no;
    row.table = table.tableName;
    row.champ = QString();
    row.type = QString();
    row.longueur = 0;
    row.ct = true;
    return row;
}

store::DicoRow fieldEntry(const TableStructure& table, const SourceField& field, int no) {
    const QString typeName = FieldTypeName(field.typeCode);
    store::DicoRow row;
    row.noEnreg = no;
    row.table = table.tableName;
    row.champ = field.name.left(store::kChampWidth);
    row.type = FieldTypeText(typeName);
    row.longueur = RecordedFieldSize(typeName, field.displayWidth);
    row.cc = true;
    return row;
}

store::DicoRow indexRow(const TableStructure& table, const SourceIndex& index, const QString& label,
                        int no) {
    store::DicoRow row;
    row.noEnreg = no;
    row.table = table.tableName;
    row.champ = index.name.left(store::kChampWidth);
    row.type = label.left(store::kTypeWidth);
    row.description = index.fieldList.left(store::kDescriptionWidth);
    row.cc = true;
    return row;
}

} // namespace

QList<store::DicoRow> PlanCaptureRows(const TableStructure& table, int firstNo) {
    QList<store::DicoRow> rows;
    int no = firstNo;
    rows.append(tableEntry(table, no++));
    for (const SourceField& field : table.fields)
        rows.append(fieldEntry(table, field, no++));
    QString label; // the first index without options gets an empty label
    for (const SourceIndex& index : table.indexes) {
        label = OptionLabel(index.options, label);
        rows.append(indexRow(table, index, label, no++));
    }
    return rows;
}

void GenerateTableCode(const TableStructure& table, CodeGenerator& generator) {
    // The dictionary keeps a cut name (its column's width); code that recreates the
    // table must name the file itself, or it would make a table nobody asked for.
    const QString& name = table.fileName.isEmpty() ? table.tableName : table.fileName;
    generator.GenBeginTable(name);
    for (const SourceField& field : table.fields) {
        const QString typeName = FieldTypeName(field.typeCode);
        generator.GenField(field.name, typeName, RecordedFieldSize(typeName, field.displayWidth));
    }
    generator.GenEndFields();
    const int count = int(table.indexes.size());
    for (int i = 0; i < count; ++i) {
        const SourceIndex& index = table.indexes[i];
        generator.GenIndex(i + 1, count, index.name, index.fieldList, index.options);
    }
    generator.GenEndTable(name, count);
}

} // namespace capture
