#pragma once

#include "capture/IndexOptions.h"
#include "capture/TableStructure.h"
#include "store/DicoRow.h"

#include <QList>
#include <QStringList>

// The customer table used throughout the capture tests: an autoincrement key,
// two strings, money and memo; a unique primary index with no name, a
// case-insensitive index and one without options.
inline capture::TableStructure clientsTable() {
    using namespace capture;
    TableStructure t;
    t.tableName = QStringLiteral("CLIENTS.DB");
    t.fields = {{QStringLiteral("Code"), 14, 10},
                {QStringLiteral("Nom"), 1, 30},
                {QStringLiteral("Ville"), 1, 20},
                {QStringLiteral("Solde"), 7, 10},
                {QStringLiteral("Notes"), 16, 10}};
    t.indexes = {{QString(), QStringLiteral("Code"), ixPrimary | ixUnique},
                 {QStringLiteral("ParNom"), QStringLiteral("Nom"), ixCaseInsensitive},
                 {QStringLiteral("ParVille"), QStringLiteral("Ville;Nom"), 0}};
    return t;
}

inline QStringList clientsBlock() {
    return {
        "with TableCreate do  // Beginning generation CLIENTS.DB",
        "begin",
        "  Close;",
        "  TableName := 'CLIENTS.DB';",
        "  TableType := ttParadox;",
        "",
        "  with FieldDefs do  //  Fields creation ",
        "  begin",
        "   Clear;",
        "   Add('Code',ftAutoInc,0,False);",
        "   Add('Nom',ftString,30,False);",
        "   Add('Ville',ftString,20,False);",
        "   Add('Solde',ftCurrency,0,False);",
        "   Add('Notes',ftMemo,10,False);",
        "  end;{FieldDefs}",
        "",
        "  TableCreate.IndexDefs.Clear;",
        "  TableCreate.IndexDefs.Add('','Code',[ixPrimary]);  // Primary Index ",
        "",
        "  TableCreate.CreateTable; // Table creation ",
        "",
        "  With IndexDefs do  // Secondary  index",
        "  Begin",
        "   TableCreate.AddIndex('ParNom','Nom',[ixCaseInsensitive]);",
        "   TableCreate.AddIndex('ParVille','Ville;Nom',[]);",
        "  end; {IndexDefs}",
        "end; // End of creation CLIENTS.DB",
        "",
        "",
    };
}

// The rows a capture of the customer table writes when the highest number in
// the dictionary is first - 1.
inline QList<store::DicoRow> clientsRows(int first) {
    const QString t = QStringLiteral("CLIENTS.DB");
    auto row = [&](int no, const char* champ, const char* type) {
        store::DicoRow r;
        r.noEnreg = no;
        r.table = t;
        r.champ = QString::fromLatin1(champ);
        r.type = QString::fromLatin1(type);
        r.cc = true;
        return r;
    };
    auto field = [&](int no, const char* champ, const char* type, int size) {
        store::DicoRow r = row(no, champ, type);
        r.longueur = size;
        return r;
    };
    auto index = [&](int no, const char* champ, const char* type, const char* fields) {
        store::DicoRow r = row(no, champ, type);
        r.description = QString::fromLatin1(fields);
        return r;
    };
    store::DicoRow entry;
    entry.noEnreg = first;
    entry.table = t;
    entry.champ = QString();
    entry.type = QString();
    entry.longueur = 0;
    entry.ct = true;
    return {entry, field(first + 1, "Code", "AutoInc", 0), field(first + 2, "Nom", "String", 30),
            field(first + 3, "Ville", "String", 20), field(first + 4, "Solde", "Currency", 0),
            field(first + 5, "Notes", "Memo", 10), index(first + 6, "", "ixUnique", "Code"),
            index(first + 7, "ParNom", "ixCaseInsensitive", "Nom"),
            // no option of its own: carries the label of the index before it
            index(first + 8, "ParVille", "ixCaseInsensitive", "Ville;Nom")};
}
