#pragma once

#include "capture/IndexOptions.h"
#include "capture/TableStructure.h"

// The customer table used throughout the capture tests: an autoincrement key,
// two strings, money and memo; a unique primary index with no name, a
// case-insensitive index and one without options.
inline capture::TableStructure clientsTable()
{
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

inline QStringList clientsBlock()
{
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
