#include "cli/DriftChecker.h"

#include "cli/DictionaryReader.h"

#include "capture/CapturePlan.h"
#include "capture/StructureReader.h"
#include "framework/dataset/NativePath.h"

#include <filesystem>

namespace cli {

namespace {

std::string text(const std::optional<QString>& s) {
    return s ? s->toStdString() : std::string();
}

std::string fieldShape(const store::DicoRow& row) {
    std::string shape = text(row.type);
    if (row.longueur && *row.longueur > 0)
        shape += ' ' + std::to_string(*row.longueur);
    return shape;
}

// An index as the dictionary shows it: its label and its fields.
std::string indexShape(const store::DicoRow& row) {
    const std::string label = text(row.type);
    return (label.empty() ? std::string("(no option)") : label) + ' ' + text(row.description);
}

// Names are matched in any letter case, as the dictionary's lookups match them.
const store::DicoRow* named(const QList<store::DicoRow>& rows, const QString& name) {
    for (const store::DicoRow& row : rows)
        if (row.champ.value_or(QString()).compare(name, Qt::CaseInsensitive) == 0)
            return &row;
    return nullptr;
}

std::string tableName(const RecordedTable& t) {
    return t.entry.table.toStdString();
}

} // namespace

RecordedTable DriftChecker::captureNow(const std::string& path) {
    const QString qpath = dataset::fromNativePath(std::filesystem::absolute(path));
    capture::TableStructure structure = capture::ReadTableStructure(qpath);
    // Named as the capture names it: the file name read as text, cut to the width.
    structure.tableName =
        capture::RecordedTableName(dataset::readableName(capture::SourceFileName(qpath)));
    RecordedTable now;
    const QList<store::DicoRow> rows = capture::PlanCaptureRows(structure, 1);
    now.entry = rows.first();
    for (qsizetype i = 1; i < rows.size(); ++i)
        (DictionaryReader::isIndexRow(rows[i]) ? now.indexes : now.fields).append(rows[i]);
    return now;
}

void DriftChecker::compareFields(const RecordedTable& recorded, const RecordedTable& now,
                                 std::vector<Drift>& out) {
    const std::string table = tableName(recorded);
    for (const store::DicoRow& was : recorded.fields) {
        const store::DicoRow* is = named(now.fields, was.champ.value_or(QString()));
        const std::string name = text(was.champ);
        if (!is)
            out.push_back({table, "fieldRemoved", name, fieldShape(was), {}});
        else if (was.type != is->type)
            out.push_back({table, "fieldRetyped", name, fieldShape(was), fieldShape(*is)});
        else if (was.longueur.value_or(0) != is->longueur.value_or(0))
            out.push_back({table, "fieldResized", name, fieldShape(was), fieldShape(*is)});
    }
    for (const store::DicoRow& is : now.fields)
        if (!named(recorded.fields, is.champ.value_or(QString())))
            out.push_back({table, "fieldAdded", text(is.champ), {}, fieldShape(is)});
}

void DriftChecker::compareIndexes(const RecordedTable& recorded, const RecordedTable& now,
                                  std::vector<Drift>& out) {
    const std::string table = tableName(recorded);
    for (const store::DicoRow& was : recorded.indexes) {
        const store::DicoRow* is = named(now.indexes, was.champ.value_or(QString()));
        // The primary index has no name: shown as such.
        const std::string name =
            was.champ.value_or(QString()).isEmpty() ? "(primary)" : text(was.champ);
        if (!is)
            out.push_back({table, "indexRemoved", name, indexShape(was), {}});
        else if (indexShape(was) != indexShape(*is))
            out.push_back({table, "indexChanged", name, indexShape(was), indexShape(*is)});
    }
    for (const store::DicoRow& is : now.indexes)
        if (!named(recorded.indexes, is.champ.value_or(QString()))) {
            const std::string name =
                is.champ.value_or(QString()).isEmpty() ? "(primary)" : text(is.champ);
            out.push_back({table, "indexAdded", name, {}, indexShape(is)});
        }
}

std::vector<Drift> DriftChecker::compare(const RecordedTable& recorded, const RecordedTable& now) {
    std::vector<Drift> out;
    compareFields(recorded, now, out);
    compareIndexes(recorded, now, out);
    return out;
}

} // namespace cli
