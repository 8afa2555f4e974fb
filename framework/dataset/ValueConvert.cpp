#include "framework/dataset/ValueConvert.h"

#include "framework/dataset/DatasetError.h"

#include <QDate>
#include <QTime>

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace dataset::convert {

namespace {

using Kind = engine::Value::Kind;
constexpr qint64 kMsPerDay = 86400000;

QString dateText(int64_t days) {
    int y = 0, m = 0, d = 0;
    engine::Value::civilFromDays(days, y, m, d);
    return QStringLiteral("%1/%2/%3")
        .arg(d, 2, 10, QLatin1Char('0'))
        .arg(m, 2, 10, QLatin1Char('0'))
        .arg(y, 4, 10, QLatin1Char('0'));
}

// As QString::number, without its locale machinery: reports print a number per row.
QString integerText(int64_t n) {
    char digits[24];
    const auto written = std::to_chars(digits, digits + sizeof digits, n);
    return QString::fromLatin1(digits, qsizetype(written.ptr - digits));
}

QString timeText(int64_t ms) {
    const QTime t = QTime::fromMSecsSinceStartOfDay(int(ms % kMsPerDay));
    return t.toString(QStringLiteral("HH:mm:ss"));
}

QString where(const Target& t) {
    return QStringLiteral("le champ %1 de la table %2")
        .arg(quoted(QString::fromStdString(t.info.name)), quoted(t.tableName));
}

[[noreturn]] void refuse(const QString& text, const Target& t) {
    throw DatasetError(QStringLiteral("Valeur %1 incorrecte pour %2 (type %3)")
                           .arg(quoted(text), where(t), typeName(t.info.typeCode())));
}

std::optional<int64_t> parseDate(const QString& text) {
    for (const char* format : {"dd/MM/yyyy", "d/M/yyyy", "yyyy-MM-dd"}) {
        const QDate d = QDate::fromString(text, QLatin1String(format));
        if (d.isValid())
            return engine::Value::daysFromCivil(d.year(), d.month(), d.day());
    }
    return std::nullopt;
}

std::optional<int64_t> parseTime(const QString& text) {
    for (const char* format : {"HH:mm:ss", "H:mm:ss", "HH:mm", "H:mm"}) {
        const QTime t = QTime::fromString(text, QLatin1String(format));
        if (t.isValid())
            return t.msecsSinceStartOfDay();
    }
    return std::nullopt;
}

std::optional<bool> parseBool(const QString& text) {
    static const char* const yes[] = {"True", "T", "Vrai", "Oui", "Yes", "Y", "1"};
    static const char* const no[] = {"False", "F", "Faux", "Non", "No", "N", "0"};
    for (const char* w : yes)
        if (text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0)
            return true;
    for (const char* w : no)
        if (text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0)
            return false;
    return std::nullopt;
}

bool isTextType(engine::FieldType t) {
    return t == engine::FieldType::Alpha || t == engine::FieldType::Memo;
}

bool isIntegerType(engine::FieldType t) {
    return t == engine::FieldType::Short || t == engine::FieldType::Long ||
           t == engine::FieldType::AutoInc;
}

bool isFloatType(engine::FieldType t) {
    return t == engine::FieldType::Number || t == engine::FieldType::Money;
}

engine::Value checkedInt(qint64 value, const Target& t) {
    const bool isShort = t.info.type == engine::FieldType::Short;
    const qint64 lo = isShort ? -32767 : -std::numeric_limits<qint32>::max();
    const qint64 hi = isShort ? 32767 : std::numeric_limits<qint32>::max();
    if (value < lo || value > hi)
        refuse(QString::number(value), t);
    return engine::Value::fromInt(value);
}

} // namespace

QString toText(const engine::Value& v) {
    switch (v.kind) {
    case Kind::Null:
        return {};
    case Kind::Text:
        return QString::fromStdString(v.text);
    case Kind::Bcd:
        return QString::fromStdString(v.text);
    case Kind::Bytes:
        return QString::fromLatin1(v.text.data(), qsizetype(v.text.size()));
    case Kind::Integer:
        return integerText(v.integer);
    case Kind::Float:
        return QString::number(v.real, 'g', 15);
    case Kind::Boolean:
        return v.boolean ? QStringLiteral("True") : QStringLiteral("False");
    case Kind::Date:
        return dateText(v.integer);
    case Kind::Time:
        return timeText(v.integer);
    case Kind::Timestamp:
        return dateText(v.integer / kMsPerDay) + u' ' + timeText(v.integer % kMsPerDay);
    }
    return {};
}

int toInt(const engine::Value& v) {
    switch (v.kind) {
    case Kind::Integer:
    case Kind::Date:
    case Kind::Time:
        return int(v.integer);
    case Kind::Float:
        return int(std::lround(v.real));
    case Kind::Boolean:
        return v.boolean ? 1 : 0;
    case Kind::Text:
    case Kind::Bcd:
        return QString::fromStdString(v.text).trimmed().toInt();
    default:
        return 0;
    }
}

bool toBool(const engine::Value& v) {
    switch (v.kind) {
    case Kind::Boolean:
        return v.boolean;
    case Kind::Integer:
        return v.integer != 0;
    case Kind::Float:
        return v.real != 0;
    case Kind::Text:
        return parseBool(QString::fromStdString(v.text).trimmed()).value_or(false);
    default:
        return false;
    }
}

double toFloat(const engine::Value& v) {
    switch (v.kind) {
    case Kind::Float:
        return v.real;
    case Kind::Integer:
        return double(v.integer);
    case Kind::Boolean:
        return v.boolean ? 1 : 0;
    case Kind::Text:
    case Kind::Bcd:
        return QString::fromStdString(v.text).trimmed().toDouble();
    default:
        return 0;
    }
}

QVariant toVariant(const engine::Value& v) {
    switch (v.kind) {
    case Kind::Null:
        return {};
    case Kind::Integer:
        return QVariant::fromValue(qint64(v.integer));
    case Kind::Float:
        return v.real;
    case Kind::Boolean:
        return v.boolean;
    case Kind::Bytes:
        return QByteArray(v.text.data(), qsizetype(v.text.size()));
    default:
        return toText(v);
    }
}

engine::Value fitToField(engine::Value v, const engine::FieldInfo& info) {
    if (info.type != engine::FieldType::Alpha || v.kind != Kind::Text)
        return v;
    if (v.text.size() <= size_t(info.size))
        return v; // no more characters than bytes
    const QString s = QString::fromStdString(v.text);
    if (s.size() > info.size)
        v.text = s.left(info.size).toStdString();
    return v;
}

engine::Value fromText(const QString& text, const Target& t) {
    const engine::FieldType type = t.info.type;
    if (text.isEmpty())
        return engine::Value::null(); // an empty value is stored as null by every type
    if (isTextType(type))
        return fitToField(engine::Value::fromText(text.toStdString()), t.info);
    const QString s = text.trimmed();
    bool ok = false;
    if (isIntegerType(type)) {
        const qint64 n = s.toLongLong(&ok);
        if (!ok)
            refuse(text, t);
        return checkedInt(n, t);
    }
    if (isFloatType(type)) {
        const double d = QString(s).replace(u',', u'.').toDouble(&ok);
        if (!ok)
            refuse(text, t);
        return engine::Value::fromFloat(d);
    }
    switch (type) {
    case engine::FieldType::Logical:
        if (auto b = parseBool(s))
            return engine::Value::fromBool(*b);
        break;
    case engine::FieldType::Date:
        if (auto d = parseDate(s))
            return engine::Value::fromDate(*d);
        break;
    case engine::FieldType::Time:
        if (auto ms = parseTime(s))
            return engine::Value::fromTime(*ms);
        break;
    case engine::FieldType::Timestamp: {
        const qsizetype blank = s.indexOf(u' ');
        const auto d = parseDate(blank < 0 ? s : s.left(blank));
        const auto ms =
            blank < 0 ? std::optional<int64_t>(0) : parseTime(s.mid(blank + 1).trimmed());
        if (d && ms)
            return engine::Value::fromTimestamp(*d * kMsPerDay + *ms);
        break;
    }
    case engine::FieldType::Bcd:
        s.toDouble(&ok);
        if (ok)
            return engine::Value::fromBcd(s.toStdString());
        break;
    default:
        return engine::Value::fromBytes(text.toLatin1().toStdString());
    }
    refuse(text, t);
}

engine::Value fromInt(qint64 value, const Target& t) {
    const engine::FieldType type = t.info.type;
    if (isIntegerType(type))
        return checkedInt(value, t);
    if (isFloatType(type))
        return engine::Value::fromFloat(double(value));
    if (type == engine::FieldType::Logical)
        return engine::Value::fromBool(value != 0);
    return fromText(QString::number(value), t);
}

engine::Value fromBool(bool value, const Target& t) {
    if (t.info.type == engine::FieldType::Logical)
        return engine::Value::fromBool(value);
    if (isIntegerType(t.info.type) || isFloatType(t.info.type))
        return fromInt(value ? 1 : 0, t);
    return fromText(value ? QStringLiteral("True") : QStringLiteral("False"), t);
}

engine::Value fromFloat(double value, const Target& t) {
    if (isFloatType(t.info.type))
        return engine::Value::fromFloat(value);
    if (isIntegerType(t.info.type))
        return checkedInt(std::llround(value), t);
    return fromText(QString::number(value, 'g', 15), t);
}

engine::Value fromVariant(const QVariant& value, const Target& t) {
    if (!value.isValid() || value.isNull())
        return engine::Value::null();
    switch (value.typeId()) {
    case QMetaType::Bool:
        return fromBool(value.toBool(), t);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return fromInt(value.toLongLong(), t);
    case QMetaType::Double:
    case QMetaType::Float:
        return fromFloat(value.toDouble(), t);
    case QMetaType::QByteArray:
        if (!isTextType(t.info.type)) {
            const QByteArray b = value.toByteArray();
            return b.isEmpty() ? engine::Value::null() : engine::Value::fromBytes(b.toStdString());
        }
        break;
    default:
        break;
    }
    return fromText(value.toString(), t);
}

engine::FieldType engineType(FieldType type, const QString& fieldName, const QString& tableName) {
    switch (type) {
    case ftString:
        return engine::FieldType::Alpha;
    case ftSmallint:
        return engine::FieldType::Short;
    case ftInteger:
        return engine::FieldType::Long;
    case ftBoolean:
        return engine::FieldType::Logical;
    case ftFloat:
        return engine::FieldType::Number;
    case ftCurrency:
        return engine::FieldType::Money;
    case ftBCD:
        return engine::FieldType::Bcd;
    case ftDate:
        return engine::FieldType::Date;
    case ftTime:
        return engine::FieldType::Time;
    case ftDateTime:
        return engine::FieldType::Timestamp;
    case ftBytes:
        return engine::FieldType::Bytes;
    case ftVarBytes:
        return engine::FieldType::Blob; // Paradox keeps them as binary BLOBs
    case ftAutoInc:
        return engine::FieldType::AutoInc;
    case ftBlob:
        return engine::FieldType::Blob;
    case ftMemo:
        return engine::FieldType::Memo;
    case ftGraphic:
        return engine::FieldType::Graphic;
    case ftTypedBinary:
        return engine::FieldType::Graphic; // the BLOB kind that carries a type
    case ftFmtMemo:
        return engine::FieldType::FmtMemo;
    case ftParadoxOle:
        return engine::FieldType::Ole;
    case ftUnknown:
    case ftWord:
    case ftDBaseOle:
        break;
    }
    throw DatasetError(
        QStringLiteral("Le type %1 du champ %2 ne peut pas être créé dans la table %3")
            .arg(typeName(type), quoted(fieldName), quoted(tableName)));
}

QString typeName(int typeCode) {
    static const char* const names[] = {
        "ftUnknown", "ftString",     "ftSmallint", "ftInteger",    "ftWord", "ftBoolean",
        "ftFloat",   "ftCurrency",   "ftBCD",      "ftDate",       "ftTime", "ftDateTime",
        "ftBytes",   "ftVarBytes",   "ftAutoInc",  "ftBlob",       "ftMemo", "ftGraphic",
        "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary"};
    if (typeCode < 0 || typeCode > 21)
        return QStringLiteral("(type %1)").arg(typeCode);
    return QLatin1String(names[typeCode]);
}

std::vector<std::string> fieldNames(const QString& list) {
    std::vector<std::string> out;
    for (const QString& part : list.split(u';')) {
        const QString name = part.trimmed();
        if (!name.isEmpty())
            out.push_back(name.toStdString());
    }
    return out;
}

} // namespace dataset::convert
