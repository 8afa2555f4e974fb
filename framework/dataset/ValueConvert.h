#pragma once
// Conversions between the engine's values and what the dataset layer hands out (text,
// integers, Booleans, QVariant), and between the two numberings of field types.
//
// Text forms: dates dd/MM/yyyy, times hh:mm:ss, timestamps both; Booleans "True"/"False";
// numbers with a '.' decimal point. Reading never fails (null reads as ""/0/false); writing
// a value the field cannot hold raises a DatasetError naming the field and the table.

#include "framework/dataset/DataTypes.h"

#include "engine/FieldInfo.h"
#include "engine/Value.h"

#include <QString>
#include <QVariant>

#include <string>
#include <vector>

namespace dataset::convert {

QString toText(const engine::Value& v);
int toInt(const engine::Value& v);
bool toBool(const engine::Value& v);
double toFloat(const engine::Value& v);
QVariant toVariant(const engine::Value& v);

// Where a conversion error is reported: "le champ « F » de la table « T »".
struct Target {
    const engine::FieldInfo& info;
    QString tableName;
};

engine::Value fromText(const QString& text, const Target& t);
engine::Value fromInt(qint64 value, const Target& t);
engine::Value fromBool(bool value, const Target& t);
engine::Value fromFloat(double value, const Target& t);
engine::Value fromVariant(const QVariant& value, const Target& t);

// A string value cut to the field's width (Alpha fields only; others unchanged).
engine::Value fitToField(engine::Value v, const engine::FieldInfo& info);

// The engine type that stores a field defined with that type; throws for types a
// Paradox table cannot hold.
engine::FieldType engineType(FieldType type, const QString& fieldName, const QString& tableName);
// The name of a type code ("ftString"), for messages.
QString typeName(int typeCode);

// A field list as the views take it ("Table;Champ"): names between semicolons,
// blanks around them dropped, empty names skipped.
std::vector<std::string> fieldNames(const QString& list);

} // namespace dataset::convert
