#pragma once
// A dictionary as a document to read: a table of contents, then per table its
// description, its fields (name, type, size, description) and its indexes (name,
// fields, option), in HTML or in Markdown.

#include "cli/RecordedTable.h"

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
    std::string write(const std::vector<RecordedTable>& tables) const;

private:
    std::string contents(const std::vector<RecordedTable>& tables) const;
    std::string tableSection(const RecordedTable& table, size_t number) const;
    std::string grid(const std::vector<std::string>& headings,
                     const std::vector<std::vector<std::string>>& rows) const;
    std::string escaped(const std::string& text) const;

    Format m_format;
    std::string m_title;
};

} // namespace cli
