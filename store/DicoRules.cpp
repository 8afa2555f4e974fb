#include "store/DicoRules.h"

#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"

namespace store {

namespace {

const QString kNoEnreg = QStringLiteral("NoEnreg");
const QString kTable = QStringLiteral("Table");
const QLatin1String kLabelStart("ix");

// Opens `check` on the dictionary's file in the order of `indexFields`.
void openBeside(dataset::Table& check, const dataset::Table& dico, const QString& indexFields) {
    check.Close();
    check.setDatabaseName(dico.DatabaseName());
    check.setTableName(dico.TableName());
    check.setIndexFieldNames(indexFields);
    check.Open();
}

void closeAside(dataset::Table& check) {
    check.Close();
    check.setTableName(QString());
}

} // namespace

int DicoRules::NextNumber(dataset::Table& check, const dataset::Table& dico) {
    openBeside(check, dico, kNoEnreg);
    int next = 1;
    try {
        check.Last();
        if (!check.IsEmpty())
            next = check.FieldByName(kNoEnreg)->AsInteger() + 1;
    } catch (...) {
        closeAside(check);
        throw;
    }
    closeAside(check);
    return next;
}

bool DicoRules::NameTaken(dataset::Table& check, const dataset::Table& dico,
                          const QString& tableName) {
    openBeside(check, dico, kTable);
    bool found = false;
    try {
        found = check.FindKey({tableName});
    } catch (...) {
        closeAside(check);
        throw;
    }
    closeAside(check);
    return found;
}

bool DicoRules::IsIndexRow(const QString& type) {
    return type.isEmpty() || type.startsWith(kLabelStart);
}

bool DicoRules::DescriptionLocked(const QString& type) {
    return type.startsWith(kLabelStart) || type.startsWith(QLatin1String("IX"));
}

} // namespace store
