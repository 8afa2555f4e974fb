// korvanta-cli ddl --dialect sqlite|postgresql
//                 (DICT.db | [--rename-clashes] [--dictionary DICT.db] TABLE.db...)
// The CREATE TABLE and CREATE INDEX statements of every table a dictionary recorded,
// with its descriptions, or of live tables (then with their exact types: string
// lengths, BCD decimals). A single operand holding the eight dictionary fields is
// read as a dictionary. Live tables that the dialect would take for one (or columns,
// or indexes) are refused, nothing written, unless the later ones may be renamed. An
// unreadable table is named on standard error and the others are still written; the
// exit status is then 1. Live tables take their descriptions from --dictionary. From a
// dictionary alone, an index is only declared with the options its label surely
// gives it (a label may be inherited from the index before).

#include "cli/Command.h"
#include "cli/DdlWriter.h"
#include "cli/DictionaryReader.h"
#include "cli/TablePlan.h"
#include "cli/VisibleText.h"

#include <ostream>

namespace cli {

namespace {

int writeDictionary(const std::string& path, const DdlWriter& ddl, std::ostream& out,
                    std::ostream& err) {
    try {
        for (const RecordedTable& recorded : DictionaryReader::read(path))
            out << ddl.schema(SqlTable::fromRecorded(recorded)) << '\n';
    } catch (const std::exception& e) {
        out.flush();
        err << visibleText(path) << ": " << visibleText(e.what()) << '\n';
        return kExitFailed;
    }
    out.flush();
    return kExitOk;
}

int writeTables(const std::vector<std::string>& paths, bool renameClashes,
                const std::string& dictionary, const DdlWriter& ddl, std::ostream& out,
                std::ostream& err) {
    TablePlan plan(paths, err);
    if (!dictionary.empty() && !describeFrom(dictionary, plan, err))
        return kExitFailed;
    const auto rule = ddl.dialect().isPostgresql() ? TargetNames::Rule::First63Bytes
                                                   : TargetNames::Rule::IgnoreAsciiCase;
    if (!plan.assignNames(rule, renameClashes, err)) {
        err << "korvanta-cli ddl: nothing written; give --rename-clashes to name the later "
               "tables or columns NAME_2, NAME_3...\n";
        return kExitFailed;
    }
    int status = plan.complete() ? kExitOk : kExitFailed;
    for (const PlannedTable& table : plan.tables()) {
        try {
            out << ddl.schema(table.schema) << '\n';
        } catch (const std::exception& e) {
            status = kExitFailed;
            err << visibleText(table.path) << ": " << visibleText(e.what()) << '\n';
        }
    }
    // The references whose parent comes later (a cycle): once every table exists.
    if (ddl.dialect().isPostgresql())
        for (const PlannedTable& table : plan.tables())
            out << ddl.addReferences(table.schema, true);
    out.flush();
    return status;
}

bool isDictionaryOperand(const std::vector<std::string>& operands) {
    if (operands.size() != 1)
        return false;
    try {
        return DictionaryReader::isDictionary(operands[0]);
    } catch (const std::exception&) {
        return false; // reported when read as a table
    }
}

} // namespace

int runDdl(const ParsedArguments& args, std::ostream& out, std::ostream& err) {
    const std::vector<std::string>& operands = args.operands();
    const std::string dictionary = args.value("--dictionary");
    // The parser let through only the names the dialects answer to.
    const DdlWriter ddl(*SqlDialect::named(args.value("--dialect")));
    if (dictionary.empty() && isDictionaryOperand(operands))
        return writeDictionary(operands[0], ddl, out, err);
    return writeTables(operands, args.has("--rename-clashes"), dictionary, ddl, out, err);
}

} // namespace cli
