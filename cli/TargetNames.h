#pragma once
// The names already given in one target, compared the way the target compares them,
// so that two tables (or two columns of one table) never land on the same name and
// the second silently replace or hide the first. SQLite ignores the letter case of
// ASCII letters in names; PostgreSQL keeps the first 63 bytes of a name (never
// cutting a character in two) and compares what is left exactly. A file name is
// compared as SQLite does, as a folder may ignore letter case.

#include <set>
#include <string>

namespace cli {

class TargetNames {
public:
    enum class Rule { IgnoreAsciiCase, First63Bytes };

    explicit TargetNames(Rule rule) : m_rule(rule) {}

    // The name cut to PostgreSQL's 63 bytes on a character boundary.
    static std::string fitted(const std::string& name);

    // What the target compares: two names are the same name when their keys are equal.
    std::string key(const std::string& name) const;

    bool taken(const std::string& name) const { return m_keys.count(key(name)) != 0; }
    void take(const std::string& name) { m_keys.insert(key(name)); }
    // The first of name, name_2, name_3 ... that is free (each cut so that its suffix
    // stays whole within 63 bytes), now taken.
    std::string takeFree(const std::string& name);

private:
    Rule m_rule;
    std::set<std::string> m_keys;
};

} // namespace cli
