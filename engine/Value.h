#pragma once
// One field value crossing the engine's interface. NULL is its own kind.
//
// Kind per field type:
//   Alpha, Memo              -> Text (UTF-8)
//   Short, Long, AutoInc     -> Integer
//   Number, Money            -> Float
//   Logical                  -> Boolean
//   Date                     -> Date      (integer = days, 0001-01-01 = 1)
//   Time                     -> Time      (integer = milliseconds since midnight)
//   Timestamp                -> Timestamp (integer = days * 86400000 + ms of the day,
//                                          with the same day numbering as Date)
//   Bcd                      -> Bcd       (text = decimal string, '.' separator, e.g. "-1.23")
//   Bytes, Blob, FmtMemo, Ole, Graphic -> Bytes (text = raw bytes; Graphic without
//                                          its 8-byte picture prefix)
// An empty Alpha or BLOB value is stored as NULL: both read back as Null.

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

struct Value {
    enum class Kind { Null, Text, Integer, Float, Boolean, Date, Time, Timestamp, Bytes, Bcd };

    Kind kind = Kind::Null;
    std::string text;    // Text, Bcd, Bytes
    int64_t integer = 0; // Integer, Date, Time, Timestamp
    double real = 0;     // Float
    bool boolean = false;

    bool isNull() const { return kind == Kind::Null; }

    static Value null() { return {}; }
    static Value fromText(std::string s);
    static Value fromInt(int64_t v);
    static Value fromFloat(double v);
    static Value fromBool(bool v);
    static Value fromDate(int64_t days);
    static Value fromTime(int64_t ms);
    static Value fromTimestamp(int64_t ms);
    static Value fromBytes(std::string raw);
    static Value fromBcd(std::string decimal);

    // Day number of a calendar date (0001-01-01 = 1) and back.
    static int64_t daysFromCivil(int year, int month, int day);
    static void civilFromDays(int64_t days, int& year, int& month, int& day);

    friend bool operator==(const Value& a, const Value& b);
};

using Row = std::vector<Value>; // one Value per field, in field order

} // namespace engine
