#include "cli/ValueText.h"

#include "cli/JsonText.h"
#include "cli/VisibleText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace cli {

namespace {

constexpr int64_t kMsPerDay = 86400000;

std::string floatText(double d) {
    // JSON has no NaN or infinities; a damaged Number can hold them, and writing
    // them as strings keeps the line parseable without inventing a value.
    if (std::isnan(d))
        return "\"NaN\"";
    if (std::isinf(d))
        return d > 0 ? "\"Infinity\"" : "\"-Infinity\"";
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, res.ptr);
}

int64_t floorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

std::string dateText(int64_t days) {
    int y = 0, m = 0, d = 0;
    engine::Value::civilFromDays(days, y, m, d);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%s%04d-%02d-%02d", y < 0 ? "-" : "", std::abs(y), m, d);
    return buf;
}

std::string timeText(int64_t ms) {
    const char* sign = ms < 0 ? "-" : "";
    ms = ms < 0 ? -ms : ms;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%s%02lld:%02lld:%02lld.%03lld", sign,
                  static_cast<long long>(ms / 3600000), static_cast<long long>(ms / 60000 % 60),
                  static_cast<long long>(ms / 1000 % 60), static_cast<long long>(ms % 1000));
    return buf;
}

std::string timestampText(int64_t ms) {
    const int64_t day = floorDiv(ms, kMsPerDay);
    return dateText(day) + "T" + timeText(ms - day * kMsPerDay);
}

std::string valueJson(const engine::Value& v) {
    using K = engine::Value::Kind;
    switch (v.kind) {
    case K::Null:
        return "null";
    case K::Text:
        return jsonString(v.text);
    case K::Integer:
        return std::to_string(v.integer);
    case K::Float:
        return floatText(v.real);
    case K::Boolean:
        return v.boolean ? "true" : "false";
    case K::Date:
        return jsonString(dateText(v.integer));
    case K::Time:
        return jsonString(timeText(v.integer));
    case K::Timestamp:
        return jsonString(timestampText(v.integer));
    case K::Bytes:
        return jsonString(base64(v.text));
    case K::Bcd:
        return jsonString(v.text);
    }
    return "null";
}

std::string valueText(const engine::Value& v) {
    using K = engine::Value::Kind;
    switch (v.kind) {
    case K::Null:
        return {};
    case K::Text:
        return visibleText(v.text, Backslash::Doubled);
    case K::Float: {
        std::string s = floatText(v.real);
        return s[0] == '"' ? s.substr(1, s.size() - 2) : s;
    }
    case K::Bytes:
        return base64(v.text);
    case K::Bcd:
        return v.text;
    case K::Integer:
        return std::to_string(v.integer);
    case K::Boolean:
        return v.boolean ? "true" : "false";
    case K::Date:
        return dateText(v.integer);
    case K::Time:
        return timeText(v.integer);
    case K::Timestamp:
        return timestampText(v.integer);
    }
    return {};
}

} // namespace cli
