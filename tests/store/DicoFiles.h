#pragma once
// Reading and writing dictionary files directly through the engine, so that a
// test checks what is on disk and not what the views it exercises report.

#include "engine/Cursor.h"
#include "engine/TableDefinition.h"
#include "engine/TableFile.h"
#include "store/DicoFormat.h"
#include "store/DicoRow.h"

#include <QList>
#include <QString>

namespace dicofiles {

inline std::optional<QString> textOf(const engine::Value& v) {
    if (v.isNull() || v.text.empty())
        return std::nullopt;
    return QString::fromStdString(v.text);
}

// Every row of the dictionary at `path` in number order. Empty texts read as
// null, as a Paradox file stores them.
inline QList<store::DicoRow> readRows(const QString& path) {
    QList<store::DicoRow> rows;
    engine::Cursor cursor(engine::TableFile::open(path.toStdString()));
    for (bool more = cursor.first(); more; more = cursor.next()) {
        const engine::Row& r = cursor.row();
        store::DicoRow row;
        row.noEnreg = int(r[0].integer);
        row.table = textOf(r[1]).value_or(QString());
        row.description = textOf(r[2]);
        row.champ = textOf(r[3]);
        row.type = textOf(r[4]);
        if (!r[5].isNull())
            row.longueur = int(r[5].integer);
        row.ct = !r[6].isNull() && r[6].boolean;
        row.cc = !r[7].isNull() && r[7].boolean;
        rows.append(row);
    }
    return rows;
}

// The same row as a file gives it back: empty texts become null.
inline store::DicoRow asStored(store::DicoRow row) {
    for (std::optional<QString>* text : {&row.description, &row.champ, &row.type}) {
        if (*text && (*text)->isEmpty())
            text->reset();
    }
    return row;
}

inline engine::Value textValue(const std::optional<QString>& text) {
    return text ? engine::Value::fromText(text->toStdString()) : engine::Value::null();
}

// Appends rows through the engine alone (no view sees them happen).
inline void appendRows(const QString& path, const QList<store::DicoRow>& rows) {
    engine::Cursor cursor(engine::TableFile::open(path.toStdString()));
    for (const store::DicoRow& row : rows) {
        engine::Row r = {engine::Value::fromInt(row.noEnreg),
                         engine::Value::fromText(row.table.toStdString()),
                         textValue(row.description),
                         textValue(row.champ),
                         textValue(row.type),
                         row.longueur ? engine::Value::fromInt(*row.longueur)
                                      : engine::Value::null(),
                         row.ct ? engine::Value::fromBool(true) : engine::Value::null(),
                         row.cc ? engine::Value::fromBool(true) : engine::Value::null()};
        cursor.insert(r);
    }
}

inline store::DicoRow tableEntry(int no, const QString& table) {
    store::DicoRow row;
    row.noEnreg = no;
    row.table = table;
    row.longueur = 0;
    row.ct = true;
    return row;
}

inline store::DicoRow fieldEntry(int no, const QString& table, const QString& champ) {
    store::DicoRow row;
    row.noEnreg = no;
    row.table = table;
    row.champ = champ;
    row.type = QStringLiteral("String");
    row.longueur = 10;
    row.cc = true;
    return row;
}

} // namespace dicofiles
