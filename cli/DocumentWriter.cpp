#include "cli/DocumentWriter.h"

#include "cli/ValidityText.h"
#include "cli/VisibleText.h"

#include <algorithm>
#include <cctype>
#include <strings.h>

namespace cli {

namespace {

std::string text(const std::optional<QString>& s) {
    return s ? s->toStdString() : std::string();
}

std::string lowered(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

bool endsWith(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// Anchors by position: table names may hold characters an anchor cannot.
std::string anchor(size_t number) {
    return "table-" + std::to_string(number);
}

std::string sizeText(const store::DicoRow& row) {
    return row.longueur && *row.longueur > 0 ? std::to_string(*row.longueur) : std::string();
}

const char* kHtmlHead = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
const char* kHtmlStyle =
    "</title>\n<style>\nbody{font-family:sans-serif;margin:2em}\n"
    "table{border-collapse:collapse;margin-bottom:1em}\n"
    "th,td{border:1px solid #999;padding:2px 8px;text-align:left}\n</style>\n</head>\n<body>\n";

std::string htmlEscaped(char c) {
    switch (c) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '"':
        return "&quot;";
    case '\'':
        return "&#39;";
    default:
        return std::string(1, c);
    }
}

} // namespace

std::optional<DocumentWriter::Format> DocumentWriter::formatOfFile(const std::string& file) {
    const std::string name = lowered(file);
    if (endsWith(name, ".html") || endsWith(name, ".htm"))
        return Format::Html;
    if (endsWith(name, ".md") || endsWith(name, ".markdown"))
        return Format::Markdown;
    return std::nullopt;
}

// A cell stays on one line; control characters are spelled out (a browser would
// drop them silently, a terminal showing the Markdown would obey them), then the
// format's own specials are escaped.
std::string DocumentWriter::escaped(const std::string& s) const {
    std::string oneLine = s;
    for (char& c : oneLine)
        if (c == '\n' || c == '\r')
            c = ' ';
    std::string out;
    for (char c : visibleText(oneLine)) {
        if (m_format == Format::Html)
            out += htmlEscaped(c);
        else if (std::string_view("|\\*_`[]<>#").find(c) != std::string_view::npos)
            out += std::string("\\") + c;
        else
            out += c;
    }
    return out;
}

std::string DocumentWriter::grid(const std::vector<std::string>& headings,
                                 const std::vector<std::vector<std::string>>& rows) const {
    std::string out;
    if (m_format == Format::Html) {
        out += "<table>\n<tr>";
        for (const std::string& h : headings)
            out += "<th>" + h + "</th>";
        out += "</tr>\n";
        for (const auto& row : rows) {
            out += "<tr>";
            for (const std::string& cell : row)
                out += "<td>" + escaped(cell) + "</td>";
            out += "</tr>\n";
        }
        return out + "</table>\n";
    }
    out += '|';
    for (const std::string& h : headings)
        out += ' ' + h + " |";
    out += "\n|";
    for (size_t i = 0; i < headings.size(); ++i)
        out += "---|";
    out += '\n';
    for (const auto& row : rows) {
        out += '|';
        for (const std::string& cell : row)
            out += ' ' + escaped(cell) + " |";
        out += '\n';
    }
    return out + '\n';
}

std::string DocumentWriter::contents(const std::vector<RecordedTable>& tables) const {
    std::string out = m_format == Format::Html ? "<h2>Tables</h2>\n<ol>\n" : "## Tables\n\n";
    for (size_t i = 0; i < tables.size(); ++i) {
        const std::string name = escaped(tables[i].entry.table.toStdString());
        if (m_format == Format::Html)
            out += "<li><a href=\"#" + anchor(i + 1) + "\">" + name + "</a></li>\n";
        else
            out += std::to_string(i + 1) + ". [" + name + "](#" + anchor(i + 1) + ")\n";
    }
    return out + (m_format == Format::Html ? "</ol>\n" : "\n");
}

std::string DocumentWriter::tableSection(const RecordedTable& table, size_t number) const {
    const std::string name = escaped(table.entry.table.toStdString());
    const std::string description = escaped(text(table.entry.description));
    std::string out;
    if (m_format == Format::Html) {
        out += "<h2 id=\"" + anchor(number) + "\">" + name + "</h2>\n";
        if (!description.empty())
            out += "<p>" + description + "</p>\n";
    } else {
        out += "<a id=\"" + anchor(number) + "\"></a>\n\n## " + name + "\n\n";
        if (!description.empty())
            out += description + "\n\n";
    }
    const engine::ValidityRules* rules = rulesOf(number);
    const bool checks = rules && !rules->checks.empty();
    std::vector<std::vector<std::string>> fields;
    for (const store::DicoRow& f : table.fields) {
        fields.push_back({std::to_string(fields.size() + 1), text(f.champ), text(f.type),
                          sizeText(f), text(f.description)});
        if (!checks)
            continue;
        const engine::FieldCheck* check = rules->checkOf(int(fields.size() - 1));
        std::string said;
        for (const std::string& t : check ? checkTexts(*check) : std::vector<std::string>{})
            said += (said.empty() ? "" : "; ") + t;
        fields.back().push_back(said);
    }
    std::vector<std::string> headings{"#", "Field", "Type", "Size", "Description"};
    if (checks)
        headings.push_back("Checks");
    out += grid(headings, fields);
    if (table.indexes.isEmpty())
        return out;
    std::vector<std::vector<std::string>> indexes;
    for (const store::DicoRow& ix : table.indexes)
        indexes.push_back({text(ix.champ).empty() ? "(primary)" : text(ix.champ),
                           text(ix.description), text(ix.type)});
    return out + grid({"Index", "Fields", "Option"}, indexes);
}

const engine::ValidityRules* DocumentWriter::rulesOf(size_t number) const {
    return number >= 1 && number <= m_rules.size() ? &m_rules[number - 1] : nullptr;
}

// The other table's name, a link to its section when the document holds it.
std::string DocumentWriter::tableLink(const std::vector<RecordedTable>& tables,
                                      const std::string& file) const {
    for (size_t i = 0; i < tables.size(); ++i) {
        if (strcasecmp(tables[i].entry.table.toStdString().c_str(), file.c_str()) != 0)
            continue;
        const std::string target = "#" + anchor(i + 1);
        return m_format == Format::Html ? "<a href=\"" + target + "\">" + escaped(file) + "</a>"
                                        : "[" + escaped(file) + "](" + target + ")";
    }
    return escaped(file);
}

std::string DocumentWriter::linksSection(const std::vector<RecordedTable>& tables,
                                         size_t number) const {
    const engine::ValidityRules* rules = rulesOf(number);
    if (!rules || (rules->references.empty() && rules->dependents.empty()))
        return {};
    std::string out = m_format == Format::Html ? "<p>Links:</p>\n<ul>\n" : "Links:\n\n";
    auto item = [&](const engine::TableLink& link, bool fromParent) {
        const std::string line = escaped(linkText(link, fromParent));
        const std::string other = escaped(link.table);
        const size_t at = line.find(other); // the other table's name, made a link
        const std::string linked = at == std::string::npos
                                       ? line
                                       : line.substr(0, at) + tableLink(tables, link.table) +
                                             line.substr(at + other.size());
        out += (m_format == Format::Html ? "<li>" : "- ") +
               std::string(fromParent ? "referenced by " : "references ") + linked +
               (m_format == Format::Html ? "</li>\n" : "\n");
    };
    for (const engine::TableLink& link : rules->references)
        item(link, false);
    for (const engine::TableLink& link : rules->dependents)
        item(link, true);
    return out + (m_format == Format::Html ? "</ul>\n" : "\n");
}

std::string DocumentWriter::write(const std::vector<RecordedTable>& tables) const {
    std::string out;
    if (m_format == Format::Html)
        out += kHtmlHead + escaped(m_title) + kHtmlStyle + "<h1>" + escaped(m_title) + "</h1>\n";
    else
        out += "# " + escaped(m_title) + "\n\n";
    out += contents(tables);
    for (size_t i = 0; i < tables.size(); ++i)
        out += tableSection(tables[i], i + 1) + linksSection(tables, i + 1);
    if (m_format == Format::Html)
        out += "</body>\n</html>\n";
    return out;
}

} // namespace cli
