#include "store/DicoFormat.h"

#include "framework/dataset/Table.h"
#include "store/DicoRow.h"

namespace store {

using namespace dataset;

const QStringList& DicoFieldNames() {
    static const QStringList names = {QStringLiteral("NoEnreg"),     QStringLiteral("Table"),
                                      QStringLiteral("Description"), QStringLiteral("Champ"),
                                      QStringLiteral("Type"),        QStringLiteral("Longueur"),
                                      QStringLiteral("CT"),          QStringLiteral("CC")};
    return names;
}

void DefineDicoTable(Table& table) {
    FieldDefs& fields = table.FieldDefs();
    fields.Clear();
    fields.Add(QStringLiteral("NoEnreg"), ftInteger, 0, false);
    fields.Add(QStringLiteral("Table"), ftString, kTableWidth, false);
    fields.Add(QStringLiteral("Description"), ftString, kDescriptionWidth, false);
    fields.Add(QStringLiteral("Champ"), ftString, kChampWidth, false);
    fields.Add(QStringLiteral("Type"), ftString, kTypeWidth, false);
    fields.Add(QStringLiteral("Longueur"), ftInteger, 0, false);
    fields.Add(QStringLiteral("CT"), ftBoolean, 0, false);
    fields.Add(QStringLiteral("CC"), ftBoolean, 0, false);

    IndexDefs& indexes = table.IndexDefs();
    indexes.Clear();
    indexes.Add(QStringLiteral("IndNoTable"), QStringLiteral("NoEnreg"), ixPrimary);
}

void CreateDicoTable(Table& table, bool mustBeNew) {
    // The name index is made with the table, in the same creation, so that a crash
    // can never leave a dictionary without it (one the views refuse to open and New
    // refuses to make again). The files are those of a creation followed by adding it.
    table.IndexDefs().Add(QStringLiteral("IndTable"), QStringLiteral("Table"), ixCaseInsensitive);
    if (mustBeNew)
        table.CreateNewTable();
    else
        table.CreateTable();
}

void CreateDicoFile(const QString& path) {
    Table table;
    table.setTableName(path);
    table.setTableType(TableType::Paradox);
    DefineDicoTable(table);
    CreateDicoTable(table, true);
}

} // namespace store
