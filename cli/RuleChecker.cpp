#include "cli/RuleChecker.h"

#include "cli/VisibleText.h"

#include "engine/TableFile.h"

#include <cstdlib>
#include <ostream>
#include <regex>
#include <set>

namespace cli {

namespace {

using Kind = SqlRule::Kind;
using engine::Value;

// Compares two values of one kind as the SQL engines order them (text byte by byte).
int compare(const Value& a, const Value& b) {
    switch (a.kind) {
    case Value::Kind::Float:
        return a.real < b.real ? -1 : a.real > b.real;
    case Value::Kind::Boolean:
        return int(a.boolean) - int(b.boolean);
    case Value::Kind::Bcd: {
        const double x = std::strtod(a.text.c_str(), nullptr);
        const double y = std::strtod(b.text.c_str(), nullptr);
        return x < y ? -1 : x > y;
    }
    case Value::Kind::Text:
        return a.text.compare(b.text);
    default:
        return a.integer < b.integer ? -1 : a.integer > b.integer;
    }
}

// The values of a key as one string, equal when the keys are.
std::string keyOf(const engine::Row& row, const std::vector<int>& columns) {
    std::string key;
    for (int c : columns) {
        const Value& v = row[size_t(c)];
        if (v.isNull())
            return {}; // a key with a blank part refers to nothing: never checked
        key += char('0' + int(v.kind));
        key += v.kind == Value::Kind::Float ? std::to_string(v.real)
               : v.text.empty()             ? std::to_string(v.integer)
                                            : v.text;
        key += '\x1f';
    }
    return key;
}

std::set<std::string> parentKeys(const SqlRule& rule) {
    std::set<std::string> keys;
    engine::TableFile::open(rule.otherFile)->forEachRow([&](const engine::Row& row) {
        for (int c : rule.parentColumns)
            if (size_t(c) >= row.size())
                return false;
        keys.insert(keyOf(row, rule.parentColumns));
        return true;
    });
    return keys;
}

// One rule made ready to test a row.
struct Test {
    const SqlRule* rule = nullptr;
    std::optional<std::regex> regex;
    std::set<std::string> parents;

    bool breaks(const engine::Row& row) const {
        const Value& v = row[size_t(rule->columns[0])];
        switch (rule->kind) {
        case Kind::Required:
            return v.isNull();
        case Kind::Minimum:
            return !v.isNull() && v.kind == rule->bound.kind && compare(v, rule->bound) < 0;
        case Kind::Maximum:
            return !v.isNull() && v.kind == rule->bound.kind && compare(v, rule->bound) > 0;
        case Kind::Picture:
            return !v.isNull() && !std::regex_match(v.text, *regex);
        case Kind::Reference:
            break;
        }
        const std::string key = keyOf(row, rule->columns);
        return !key.empty() && !parents.count(key);
    }
};

} // namespace

bool RuleChecker::checked(const SqlRule& rule) const {
    if (!rule.commentOnly.empty())
        return false;
    return rule.kind != Kind::Picture || (m_pictures && rule.regex);
}

void RuleChecker::check(const engine::TableFile& table) {
    std::vector<Test> tests;
    std::vector<size_t> ruleOf;
    for (size_t i = 0; i < m_schema.rules.size(); ++i) {
        SqlRule& rule = m_schema.rules[i];
        rule.brokenRows = 0;
        if (!checked(rule))
            continue;
        Test test{&rule, {}, {}};
        if (rule.kind == Kind::Picture)
            test.regex.emplace(*rule.regex, std::regex::ECMAScript);
        if (rule.kind == Kind::Reference)
            test.parents = parentKeys(rule);
        tests.push_back(std::move(test));
        ruleOf.push_back(i);
    }
    if (tests.empty())
        return;
    std::vector<Broken> broken(tests.size());
    uint64_t number = 0;
    table.forEachRow([&](const engine::Row& row) {
        ++number;
        for (size_t t = 0; t < tests.size(); ++t) {
            if (!tests[t].breaks(row))
                continue;
            ++m_schema.rules[ruleOf[t]].brokenRows;
            if (broken[t].rows.size() < kRowsShown)
                broken[t].rows.push_back(number);
        }
        return true;
    });
    for (size_t t = 0; t < tests.size(); ++t)
        if (!broken[t].rows.empty())
            m_broken.push_back({ruleOf[t], broken[t].rows});
}

bool RuleChecker::report(const std::string& path, bool postgresql, std::ostream& err) const {
    for (const Broken& b : m_broken) {
        const SqlRule& rule = m_schema.rules[b.rule];
        err << visibleText(path) << ": " << rule.brokenRows
            << " lignes ne respectent pas la règle « " << visibleText(m_schema.ruleName(rule))
            << " » (lignes ";
        for (size_t i = 0; i < b.rows.size(); ++i)
            err << (i ? ", " : "") << b.rows[i];
        err << (rule.brokenRows > b.rows.size() ? "..." : "")
            << ") : " << (postgresql ? "ajoutée NOT VALID" : "laissée en commentaire") << '\n';
    }
    return !m_broken.empty();
}

} // namespace cli
