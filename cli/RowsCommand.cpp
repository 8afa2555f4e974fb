// korvanta-cli rows [--json] TABLE.db
// Every row in the order the table's blocks chain them: tab-separated text with a
// header line, or one JSON object per row mapping field names to values. Rows are
// written as they are read; when the table turns out to be damaged part way, the
// error goes to standard error and the exit status is 1.

#include "cli/Command.h"
#include "cli/JsonText.h"
#include "cli/ValueText.h"

#include "engine/CodePage.h"
#include "engine/EngineError.h"
#include "engine/TableFile.h"

#include <ostream>

namespace cli {

namespace {

// Formatted memos come from the engine as raw bytes; they are shown as text in the
// table's code page, like plain memos.
engine::Value shown(const engine::Value& v, engine::FieldType type, const engine::CodePage* page) {
    if (type == engine::FieldType::FmtMemo && v.kind == engine::Value::Kind::Bytes && page)
        return engine::Value::fromText(page->decode(v.text));
    return v;
}

const engine::CodePage* codePageOf(const engine::TableFile& t) {
    try {
        return &engine::CodePage::get(t.codePage());
    } catch (const engine::EngineError&) {
        return nullptr; // formatted memos then stay base64
    }
}

} // namespace

int runRows(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> options, tables;
    if (!splitOptions(args, {"--json"}, options, tables, err))
        return kExitUsage;
    if (tables.size() != 1) {
        err << "korvanta-cli rows: give exactly one table\nUsage: korvanta-cli rows [--json] "
               "TABLE.db\n";
        return kExitUsage;
    }
    const bool json = !options.empty();
    try {
        auto table = engine::TableFile::open(tables[0]);
        const auto& fields = table->fields();
        std::vector<std::string> keys; // field names, already as JSON strings
        for (const auto& f : fields)
            keys.push_back(jsonString(f.name));
        if (!json) {
            for (size_t i = 0; i < fields.size(); ++i)
                out << (i ? "\t" : "") << tabEscaped(fields[i].name);
            out << '\n';
        }
        const engine::CodePage* page = codePageOf(*table);
        std::string line;
        table->forEachRow([&](const engine::Row& row) {
            line.clear();
            if (json) {
                line += '{';
                for (size_t i = 0; i < row.size() && i < keys.size(); ++i) {
                    if (i)
                        line += ',';
                    line += keys[i];
                    line += ':';
                    line += valueJson(shown(row[i], fields[i].type, page));
                }
                line += "}\n";
            } else {
                for (size_t i = 0; i < row.size() && i < fields.size(); ++i) {
                    if (i)
                        line += '\t';
                    line += valueText(shown(row[i], fields[i].type, page));
                }
                line += '\n';
            }
            out << line;
            return true;
        });
    } catch (const std::exception& e) {
        out.flush();
        err << tables[0] << ": " << e.what() << '\n';
        return kExitFailed;
    }
    out.flush();
    return kExitOk;
}

} // namespace cli
