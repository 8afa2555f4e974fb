// korvanta-cli ddl --dialect sqlite|postgresql [--rename-clashes] (DICT.db | TABLE.db...)
// The CREATE TABLE and CREATE INDEX statements of every table a dictionary recorded,
// with its descriptions, or of live tables (then with their exact types: string
// lengths, BCD decimals). A single operand holding the eight dictionary fields is
// read as a dictionary. Live tables that the dialect would take for one (or columns,
// or indexes) are refused, nothing written, unless the later ones may be renamed. An
// unreadable table is named on standard error and the others are still written; the
// exit status is then 1.

#include "cli/Command.h"
#include "cli/DdlWriter.h"
#include "cli/DictionaryReader.h"
#include "cli/OutputFile.h"
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

int writeTables(const std::vector<std::string>& paths, bool renameClashes, const DdlWriter& ddl,
                std::ostream& out, std::ostream& err) {
    TablePlan plan(paths, err);
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

int runDdl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> operands;
    std::string dialectName;
    std::vector<std::string> flags;
    if (!splitValueOptions(args, {"--dialect"}, {"--rename-clashes"}, operands, dialectName, err,
                           &flags))
        return kExitUsage;
    const auto dialect = SqlDialect::named(dialectName);
    if (!dialect || operands.empty()) {
        err << "korvanta-cli ddl: "
            << (dialect ? "no dictionary or table given" : "give --dialect sqlite or postgresql")
            << "\nUsage: korvanta-cli ddl --dialect sqlite|postgresql [--rename-clashes] "
               "(DICT.db | TABLE.db...)\n";
        return kExitUsage;
    }
    const DdlWriter ddl(*dialect);
    if (isDictionaryOperand(operands))
        return writeDictionary(operands[0], ddl, out, err);
    return writeTables(operands, !flags.empty(), ddl, out, err);
}

} // namespace cli
