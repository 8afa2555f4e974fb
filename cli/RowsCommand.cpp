// korvanta-cli rows [--json] TABLE.db
// Every row in the order the table's blocks chain them: tab-separated text with a
// header line, or one JSON object per row mapping field names to values. Rows are
// written a batch at a time as they are read, no lock held while writing; when the table turns out
// to be damaged part way, the error goes to standard error and the exit status is 1. --code-page N
// reads the text in page N when the header names the wrong one. Formatted memos are bytes (their
// formatting is binary) and come out in base64, like the other BLOBs. Rows that could not be read
// faithfully (text that does not decode, memos lost with a missing .MB file) are still written, and
// told about on standard error with status 1.

#include "cli/CodePageOption.h"
#include "cli/Command.h"
#include "cli/JsonText.h"
#include "cli/ReadingLoss.h"
#include "cli/RowBatches.h"
#include "cli/ValueText.h"
#include "cli/VisibleText.h"

#include "engine/EngineError.h"
#include "engine/TableFile.h"

#include <ostream>

namespace cli {

namespace {

// One row: tab-separated cells, or a JSON object whose keys are already JSON strings.
std::string rowLine(const engine::Row& row, const std::vector<engine::FieldInfo>& fields,
                    const std::vector<std::string>& keys, bool json) {
    std::string line;
    if (json) {
        line += '{';
        for (size_t i = 0; i < row.size() && i < keys.size(); ++i) {
            if (i)
                line += ',';
            line += keys[i];
            line += ':';
            line += valueJson(row[i]);
        }
        line += "}\n";
        return line;
    }
    for (size_t i = 0; i < row.size() && i < fields.size(); ++i) {
        if (i)
            line += '\t';
        line += valueText(row[i]);
    }
    line += '\n';
    return line;
}

} // namespace

int runRows(const ParsedArguments& args, std::ostream& out, std::ostream& err) {
    const CodePageOption page(args);
    const std::vector<std::string>& tables = args.operands();
    const bool json = args.has("--json");
    ReadingLoss loss;
    int status = kExitOk;
    try {
        auto table = engine::TableFile::open(tables[0]);
        page.applyTo(*table);
        table->readMissingBlobsAsNull();
        TextDecodeCheck text(*table);
        const auto& fields = table->fields();
        std::vector<std::string> keys; // field names, already as JSON strings
        for (const auto& f : fields)
            keys.push_back(jsonString(f.name));
        if (!json) {
            for (size_t i = 0; i < fields.size(); ++i)
                out << (i ? "\t" : "") << visibleText(fields[i].name, Backslash::Doubled);
            out << '\n';
        }
        RowBatches batches(table);
        for (auto* batch = &batches.next(); !batch->empty() && out; batch = &batches.next())
            for (const engine::Row& row : *batch) {
                out << rowLine(row, fields, keys, json);
                text.add(row);
            }
        loss = {text.result(), table->textCodePage(), table->blobValuesLost()};
    } catch (const std::exception& e) {
        out.flush();
        err << visibleText(tables[0]) << ": " << visibleText(e.what()) << '\n';
        status = kExitFailed;
    }
    out.flush();
    if (loss.report(tables[0], err))
        status = kExitFailed;
    return status;
}

} // namespace cli
