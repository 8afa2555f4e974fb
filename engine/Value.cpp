#include "engine/Value.h"

namespace engine {

Value Value::fromText(std::string s) {
    Value v;
    v.kind = Kind::Text;
    v.text = std::move(s);
    return v;
}

Value Value::fromInt(int64_t i) {
    Value v;
    v.kind = Kind::Integer;
    v.integer = i;
    return v;
}

Value Value::fromFloat(double d) {
    Value v;
    v.kind = Kind::Float;
    v.real = d;
    return v;
}

Value Value::fromBool(bool b) {
    Value v;
    v.kind = Kind::Boolean;
    v.boolean = b;
    return v;
}

Value Value::fromDate(int64_t days) {
    Value v;
    v.kind = Kind::Date;
    v.integer = days;
    return v;
}

Value Value::fromTime(int64_t ms) {
    Value v;
    v.kind = Kind::Time;
    v.integer = ms;
    return v;
}

Value Value::fromTimestamp(int64_t ms) {
    Value v;
    v.kind = Kind::Timestamp;
    v.integer = ms;
    return v;
}

Value Value::fromBytes(std::string raw) {
    Value v;
    v.kind = Kind::Bytes;
    v.text = std::move(raw);
    return v;
}

Value Value::fromBcd(std::string decimal) {
    Value v;
    v.kind = Kind::Bcd;
    v.text = std::move(decimal);
    return v;
}

// Proleptic Gregorian day counting with 0001-01-01 = 1 (the stored day numbers).
// Works through the usual shift to a March-based year so that leap days fall last.
int64_t Value::daysFromCivil(int year, int month, int day) {
    int64_t y = year - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t mp = (month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t sinceMarch0000 = era * 146097 + doe; // 0000-03-01 = 0
    return sinceMarch0000 - 305;                       // 0001-01-01 (306) -> 1
}

void Value::civilFromDays(int64_t days, int& year, int& month, int& day) {
    int64_t z = days + 305;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

bool operator==(const Value& a, const Value& b) {
    if (a.kind != b.kind)
        return false;
    switch (a.kind) {
    case Value::Kind::Null:
        return true;
    case Value::Kind::Text:
    case Value::Kind::Bytes:
    case Value::Kind::Bcd:
        return a.text == b.text;
    case Value::Kind::Float:
        return a.real == b.real;
    case Value::Kind::Boolean:
        return a.boolean == b.boolean;
    default:
        return a.integer == b.integer;
    }
}

} // namespace engine
