#include "capture/StructureReader.h"

#include "capture/IndexOptions.h"
#include "engine/TableFile.h"
#include "framework/dataset/NativePath.h"

#include <filesystem>

namespace capture {

static_assert(unsigned(ixPrimary) == unsigned(engine::ixPrimary) &&
                  unsigned(ixUnique) == unsigned(engine::ixUnique) &&
                  unsigned(ixDescending) == unsigned(engine::ixDescending) &&
                  unsigned(ixCaseInsensitive) == unsigned(engine::ixCaseInsensitive) &&
                  unsigned(ixExpression) == unsigned(engine::ixExpression),
              "index options pass from the engine unchanged");

TableStructure ReadTableStructure(const QString& path) {
    const auto table = engine::TableFile::open(dataset::toNativePath(path));
    TableStructure structure;
    structure.fileName = SourceFileName(path);
    structure.tableName = RecordedTableName(structure.fileName);
    for (const engine::FieldInfo& field : table->fields()) {
        structure.fields.append(
            {QString::fromStdString(field.name), field.typeCode(), field.displayWidth()});
    }
    for (const engine::IndexInfo& index : table->indexes()) {
        structure.indexes.append({QString::fromStdString(index.name),
                                  QString::fromStdString(index.fields), index.options});
    }
    return structure;
}

} // namespace capture
