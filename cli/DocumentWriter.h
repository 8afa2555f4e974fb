#pragma once
// A dictionary as a document to read: a table of contents, then per table its
// description, its fields (name, type, size, description) and its indexes (name,
// fields, option), in HTML or in Markdown. With the tables' validity rules, each
// field's checks (a column shown only when the table has any) and the table's links,
// each naming the other table with a link to its section when it is in the document.

#include "cli/RecordedTable.h"

#include "engine/ValidityRules.h"

#include <optional>
#include <string>
#include <vector>

namespace cli {

class DocumentWriter {
public:
    enum class Format { Html, Markdown };

    // From the file's extension: .html/.htm or .md/.markdown; nothing for another.
    static std::optional<Format> formatOfFile(const std::string& file);

    DocumentWriter(Format format, std::string title)
        : m_format(format), m_title(std::move(title)) {}
    // The rules of each table, in the order of the tables given to write().
    void setRules(std::vector<engine::ValidityRules> rules) { m_rules = std::move(rules); }
    std::string write(const std::vector<RecordedTable>& tables) const;

private:
    std::string contents(const std::vector<RecordedTable>& tables) const;
    std::string tableSection(const RecordedTable& table, size_t number) const;
    std::string grid(const std::vector<std::string>& headings,
                     const std::vector<std::vector<std::string>>& rows) const;
    std::string escaped(const std::string& text) const;
    std::string linksSection(const std::vector<RecordedTable>& tables, size_t number) const;
    std::string tableLink(const std::vector<RecordedTable>& tables, const std::string& file) const;
    const engine::ValidityRules* rulesOf(size_t number) const;

    Format m_format;
    std::string m_title;
    std::vector<engine::ValidityRules> m_rules;
};

} // namespace cli
