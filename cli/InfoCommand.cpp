// korvanta-cli info [--json] TABLE.db...
// The structure of each table as capture sees it: level, code page, sort order,
// record count, fields (name, type code, type name, display width) and indexes
// (name, fields, options), primary index first. One unreadable table does not stop
// the others; the exit status is 1 when any failed. The text of the rows is read
// (in the header's page, or the one --code-page names) to say whether it decodes
// cleanly: a header may name the wrong page.

#include "cli/CodePageOption.h"
#include "cli/Command.h"
#include "cli/JsonText.h"
#include "cli/TextDecodeCheck.h"
#include "cli/ValidityText.h"
#include "cli/VisibleText.h"

#include "capture/FieldTypes.h"

#include "engine/EngineError.h"
#include "engine/TableFile.h"
#include "engine/ValidityFile.h"

#include <cstdio>
#include <optional>
#include <ostream>

namespace cli {

namespace {

// The type name capture records for a type code ("ftString", "ftBLOB", ...).
std::string fieldTypeName(int typeCode) {
    return capture::FieldTypeName(typeCode).toStdString();
}

std::vector<std::string> optionNames(unsigned options) {
    static const std::pair<unsigned, const char*> names[] = {
        {engine::ixPrimary, "ixPrimary"},       {engine::ixUnique, "ixUnique"},
        {engine::ixDescending, "ixDescending"}, {engine::ixCaseInsensitive, "ixCaseInsensitive"},
        {engine::ixExpression, "ixExpression"},
    };
    std::vector<std::string> out;
    for (const auto& [bit, name] : names)
        if (options & bit)
            out.emplace_back(name);
    return out;
}

// Whether the text decodes cleanly; nothing when the rows cannot be read (an
// encrypted or damaged table still has its structure shown).
std::optional<TextDecodeCheck::Result> textCheck(const engine::TableFile& t) {
    if (!TextDecodeCheck::hasText(t))
        return std::nullopt;
    try {
        return TextDecodeCheck::scan(t);
    } catch (const engine::EngineError&) {
        return std::nullopt;
    }
}

void writeJson(const std::string& path, const engine::TableFile& t, std::ostream& out) {
    const engine::ValidityRules rules = engine::ValidityFile::readBeside(t);
    out << "{\"path\":" << jsonString(path) << ",\"versionByte\":" << t.versionByte()
        << ",\"codePage\":" << t.codePage() << ",\"sortOrder\":" << jsonString(t.sortOrder())
        << ",\"records\":" << t.recordCount() << ",\"fields\":[";
    const auto& fields = t.fields();
    for (size_t i = 0; i < fields.size(); ++i) {
        const auto& f = fields[i];
        out << (i ? "," : "") << "{\"name\":" << jsonString(f.name)
            << ",\"typeCode\":" << f.typeCode()
            << ",\"typeName\":" << jsonString(fieldTypeName(f.typeCode()))
            << ",\"displayWidth\":" << f.displayWidth()
            << ",\"checks\":" << checksJson(rules.checkOf(int(i))) << '}';
    }
    out << "],\"references\":" << linksJson(rules.references, false)
        << ",\"referencedBy\":" << linksJson(rules.dependents, true);
    if (!rules.problems.empty()) {
        out << ",\"validityProblems\":[";
        for (size_t i = 0; i < rules.problems.size(); ++i)
            out << (i ? "," : "") << jsonString(rules.problems[i]);
        out << ']';
    }
    out << ",\"indexes\":[";
    const auto indexes = t.indexes();
    for (size_t i = 0; i < indexes.size(); ++i) {
        const auto& ix = indexes[i];
        out << (i ? "," : "") << "{\"name\":" << jsonString(ix.name)
            << ",\"fields\":" << jsonString(ix.fields) << ",\"options\":[";
        const auto opts = optionNames(ix.options);
        for (size_t k = 0; k < opts.size(); ++k)
            out << (k ? "," : "") << jsonString(opts[k]);
        out << "]}";
    }
    out << "]";
    if (t.textCodePage() != t.codePage())
        out << ",\"textCodePage\":" << t.textCodePage();
    if (const auto text = textCheck(t))
        out << ",\"textClean\":" << (text->clean() ? "true" : "false")
            << ",\"uncleanValues\":" << text->unclean;
    out << "}\n";
}

void writeLinksText(const engine::ValidityRules& rules, std::ostream& out) {
    for (const auto& link : rules.references)
        out << "  references: " << visibleText(linkText(link, false)) << '\n';
    for (const auto& link : rules.dependents)
        out << "  referenced by: " << visibleText(linkText(link, true)) << '\n';
    for (const std::string& problem : rules.problems)
        out << "  rules: " << visibleText(problem) << '\n';
}

void writeText(const std::string& path, const engine::TableFile& t, std::ostream& out) {
    char version[8];
    std::snprintf(version, sizeof version, "0x%02X", t.versionByte());
    out << visibleText(path) << "\n  version byte: " << version << " (level " << t.level() << ")"
        << "\n  code page: " << t.codePage() << "\n  sort order: " << visibleText(t.sortOrder())
        << "\n  records: " << t.recordCount() << "\n  fields: " << t.fields().size() << '\n';
    const engine::ValidityRules rules = engine::ValidityFile::readBeside(t);
    int n = 0;
    for (const auto& f : t.fields()) {
        out << "    " << ++n << '\t' << visibleText(f.name) << '\t' << f.typeCode() << '\t'
            << fieldTypeName(f.typeCode()) << '\t' << f.displayWidth() << '\n';
        if (const engine::FieldCheck* check = rules.checkOf(n - 1))
            for (const std::string& text : checkTexts(*check))
                out << "      check: " << visibleText(text) << '\n';
    }
    writeLinksText(rules, out);
    const auto indexes = t.indexes();
    out << "  indexes: " << indexes.size() << '\n';
    for (const auto& ix : indexes) {
        out << "    \"" << visibleText(ix.name) << "\"\t" << visibleText(ix.fields) << '\t';
        const auto opts = optionNames(ix.options);
        for (size_t k = 0; k < opts.size(); ++k)
            out << (k ? "," : "") << opts[k];
        out << '\n';
    }
    if (t.textCodePage() != t.codePage())
        out << "  text read in code page: " << t.textCodePage() << '\n';
    if (const auto text = textCheck(t)) {
        if (text->clean())
            out << "  text: decodes cleanly in code page " << t.textCodePage() << '\n';
        else
            out << "  text: " << text->unclean << " of " << text->textValues
                << " values do not decode cleanly in code page " << t.textCodePage() << '\n';
    }
}

} // namespace

int runInfo(const ParsedArguments& args, std::ostream& out, std::ostream& err) {
    const CodePageOption page(args);
    const bool json = args.has("--json");
    int status = kExitOk;
    for (const auto& path : args.operands()) {
        try {
            auto table = engine::TableFile::open(path);
            page.applyTo(*table);
            if (json)
                writeJson(path, *table, out);
            else
                writeText(path, *table, out);
        } catch (const std::exception& e) {
            status = kExitFailed;
            if (json)
                out << "{\"path\":" << jsonString(path) << ",\"error\":" << jsonString(e.what())
                    << "}\n";
            else
                err << visibleText(path) << ": " << visibleText(e.what()) << '\n';
        }
    }
    out.flush();
    return status;
}

} // namespace cli
