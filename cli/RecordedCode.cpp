#include "cli/RecordedCode.h"

#include "capture/FieldTypes.h"
#include "cli/SqlTable.h"

#include <stdexcept>

namespace cli {

namespace {

capture::SourceField recordedField(const store::DicoRow& row) {
    const QString typeName = QStringLiteral("ft") + row.type.value_or(QString());
    const int code = capture::FieldTypeCode(typeName);
    if (code < 0)
        throw std::runtime_error("le champ « " + row.champ.value_or(QString()).toStdString() +
                                 " » est enregistré avec un type inconnu « " +
                                 row.type.value_or(QString()).toStdString() + " »");
    // The recorded size is what the code writes back: the capture kept the display
    // width of the types that have one and 0 for the others.
    return {row.champ.value_or(QString()), code, row.longueur.value_or(0)};
}

} // namespace

capture::TableStructure recordedStructure(const RecordedTable& recorded) {
    capture::TableStructure s;
    s.tableName = recorded.entry.table;
    for (const store::DicoRow& row : recorded.fields)
        s.fields.append(recordedField(row));
    // The index rules (which one is primary, which labels are the index's own) are
    // the ones the SQL schema of a dictionary follows.
    const SqlTable schema = SqlTable::fromRecorded(recorded);
    for (qsizetype i = 0; i < recorded.indexes.size(); ++i) {
        const store::DicoRow& row = recorded.indexes[i];
        s.indexes.append({row.champ.value_or(QString()), row.description.value_or(QString()),
                          schema.indexes[size_t(i)].options});
    }
    return s;
}

} // namespace cli
