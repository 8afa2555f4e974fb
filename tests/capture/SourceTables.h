#pragma once
// Source tables written by the engine for capture tests.

#include "engine/IndexInfo.h"
#include "engine/TableDefinition.h"

#include <QString>

namespace sourcetables {

using engine::FieldType;

// The customer table: autoincrement key, two strings, money, memo; the key
// index, a case-insensitive index on Nom and an index on Ville;Nom.
inline QString writeClients(const QString& path) {
    const std::string file = path.toStdString();
    engine::createTable(file,
                        {{"Code", FieldType::AutoInc, 0, false},
                         {"Nom", FieldType::Alpha, 30, false},
                         {"Ville", FieldType::Alpha, 20, false},
                         {"Solde", FieldType::Money, 0, false},
                         {"Notes", FieldType::Memo, 10, false}},
                        {{"", {"Code"}, engine::ixPrimary}});
    engine::addIndex(file, {"ParNom", {"Nom"}, engine::ixCaseInsensitive});
    engine::addIndex(file, {"ParVille", {"Ville", "Nom"}, 0});
    return path;
}

inline const std::string kLongName = "UnNomDeChampTresLongXXXXX"; // 25 characters

// Every field type the engine writes, a 25-character field name, and every
// kind of index: composite primary key, single-field index named after its
// field, named indexes with each option, and one whose field list passes 80
// characters.
inline QString writeEveryKind(const QString& path) {
    const std::string file = path.toStdString();
    engine::createTable(file,
                        {{"Id", FieldType::Long, 0, false},
                         {"Ligne", FieldType::Short, 0, false},
                         {"Nom", FieldType::Alpha, 40, false},
                         {"Jour", FieldType::Date, 0, false},
                         {"Montant", FieldType::Money, 0, false},
                         {"Taux", FieldType::Number, 0, false},
                         {"Actif", FieldType::Logical, 0, false},
                         {"Texte", FieldType::Memo, 20, false},
                         {"Binaire", FieldType::Blob, 0, false},
                         {"Mise", FieldType::FmtMemo, 0, false},
                         {"Objet", FieldType::Ole, 0, false},
                         {"Image", FieldType::Graphic, 0, false},
                         {"Heure", FieldType::Time, 0, false},
                         {"Horodate", FieldType::Timestamp, 0, false},
                         {"Compteur", FieldType::AutoInc, 0, false},
                         {"Decimal", FieldType::Bcd, 2, false},
                         {"Octets", FieldType::Bytes, 8, false},
                         {kLongName, FieldType::Alpha, 5, false},
                         {"UnAutreNomDeChampTresLong", FieldType::Alpha, 5, false},
                         {"EncoreUnNomDeChampTresLon", FieldType::Alpha, 5, false}},
                        {{"", {"Id", "Ligne"}, engine::ixPrimary}});
    engine::addIndex(file, {"Nom", {"Nom"}, 0});
    engine::addIndex(file, {"ParNomCI", {"Nom"}, engine::ixCaseInsensitive});
    engine::addIndex(file, {"ParJour", {"Jour", "Nom"}, engine::ixUnique | engine::ixDescending});
    engine::addIndex(file, {"ParTaux", {"Taux"}, 0});
    engine::addIndex(file,
                     {"Longue",
                      {kLongName, "UnAutreNomDeChampTresLong", "EncoreUnNomDeChampTresLon", "Nom"},
                      0});
    return path;
}

} // namespace sourcetables
