// korvanta-cli export (--sqlite OUT.db | --postgresql OUT.sql | --csv DIR)
//     [--rename-clashes] [--replace] [--data-only | --schema-only] [--dictionary DICT.db]
//     [--code-page N] TABLE.db...
// Every row of every table, memos and BLOBs included, into an SQLite database (one
// transaction per table), into a script of COPY blocks for psql, or into one CSV
// file per table. Every table's structure is read first: two tables (or two
// columns) that the target would take for one refuse the run before anything is
// written, unless the user lets the later ones be renamed. A table (or a CSV file)
// the user already has is never replaced unless asked: the SQLite and CSV runs are
// refused before writing, the script stops at its CREATE TABLE. A table that cannot
// be read is named on standard error and the others still go; the exit status is
// then 1. One line per exported table gives its row count. The descriptions a
// dictionary recorded go along: COMMENT ON in PostgreSQL, SQL comments kept in the
// CREATE TABLE text in SQLite.

#include "cli/CodePageOption.h"
#include "cli/Command.h"
#include "cli/CopyScriptWriter.h"
#include "cli/CsvTableWriter.h"
#include "cli/DdlWriter.h"
#include "cli/OutputTarget.h"
#include "cli/ProgressBar.h"
#include "cli/ReadingLoss.h"
#include "cli/RuleChecker.h"
#include "cli/SqliteExporter.h"
#include "cli/TablePlan.h"
#include "cli/VisibleText.h"
#include "cli/options/Message.h"

#include "engine/FileSystem.h"
#include "engine/TableFile.h"

#include <algorithm>
#include <memory>
#include <ostream>

namespace cli {

namespace {

struct ExportRequest {
    std::string target; // "--sqlite", "--postgresql" or "--csv"
    std::string file;   // the database, the script, or the folder of CSV files
    std::vector<std::string> tables;
    bool renameClashes = false;
    bool replace = false;
    bool dataOnly = false;
    bool schemaOnly = false;
    std::string dictionary; // whose descriptions go along, when given

    TargetNames::Rule nameRule() const {
        return target == "--postgresql" ? TargetNames::Rule::First63Bytes
                                        : TargetNames::Rule::IgnoreAsciiCase;
    }
    ExportPart part() const {
        return dataOnly     ? ExportPart::DataOnly
               : schemaOnly ? ExportPart::SchemaOnly
                            : ExportPart::Everything;
    }
};

// The reason the options cannot go together; empty when they can.
Message conflictOf(const ExportRequest& request) {
    if (request.dataOnly && request.schemaOnly)
        return {"give at most one of --data-only and --schema-only",
                "donnez au plus une option parmi --data-only et --schema-only"};
    if (request.dataOnly && request.replace)
        return {"--data-only adds rows to the tables already there: --replace does not apply",
                "--data-only ajoute des lignes aux tables déjà là : --replace ne s'applique pas"};
    if (request.target == "--csv" && (request.dataOnly || request.schemaOnly))
        return {"--csv writes the field names and the rows: --data-only and --schema-only do "
                "not apply",
                "--csv écrit les noms de champs et les lignes : --data-only et --schema-only ne "
                "s'appliquent pas"};
    return {};
}

// The request the arguments make; false (the reason on err) when its options
// cannot go together.
bool readRequest(const ParsedArguments& args, ExportRequest& request, std::ostream& err) {
    int targets = 0;
    for (const char* target : {"--sqlite", "--postgresql", "--csv"})
        if (args.has(target)) {
            ++targets;
            request.target = target;
            request.file = args.value(target);
        }
    request.tables = args.operands();
    request.renameClashes = args.has("--rename-clashes");
    request.replace = args.has("--replace");
    request.dataOnly = args.has("--data-only");
    request.schemaOnly = args.has("--schema-only");
    request.dictionary = args.value("--dictionary");
    const Message conflict =
        targets != 1 ? Message{"give one --sqlite OUT.db, --postgresql OUT.sql or --csv DIR",
                               "donnez un seul --sqlite SORTIE.db, --postgresql SORTIE.sql ou "
                               "--csv DOSSIER"}
                     : conflictOf(request);
    if (conflict.english)
        err << Message{"korvanta-cli export: %1\n", "korvanta-cli export : %1\n"}.with(
            {conflict.text()});
    return !conflict.english;
}

std::shared_ptr<engine::TableFile> openTable(const std::string& path, const CodePageOption& page) {
    auto table = engine::TableFile::open(path);
    page.applyTo(*table);
    table->readMissingBlobsAsNull();
    return table;
}

// What the export of a table just written lost, on err; true when anything. The text
// is read once more for it: the writers see rows, not their decoding.
bool reportLoss(const std::string& path, const engine::TableFile& table, std::ostream& err) {
    ReadingLoss loss;
    loss.blobValuesLost = table.blobValuesLost();
    loss.textCodePage = table.textCodePage();
    loss.text = TextDecodeCheck::scan(table);
    return loss.report(path, err);
}

// The schema with the rules its rows break marked (and reported), when the rows go
// into a table this run makes.
SqlTable checkedSchema(const ExportRequest& request, const PlannedTable& table,
                       const engine::TableFile& opened, std::ostream& err) {
    SqlTable schema = table.schema;
    if (request.part() != ExportPart::Everything)
        return schema;
    const bool postgresql = request.target == "--postgresql";
    RuleChecker checker(schema, postgresql);
    checker.check(opened);
    checker.report(table.path, postgresql, err);
    return schema;
}

// The foreign keys of the tables the script made, once all are loaded: only those
// whose parent went in too.
std::string referencesOf(const std::vector<const PlannedTable*>& exported, ExportPart part) {
    if (part == ExportPart::DataOnly)
        return {};
    DdlWriter ddl{SqlDialect(SqlDialect::Kind::Postgresql)};
    std::string sql;
    for (const PlannedTable* table : exported) {
        SqlTable schema = table->schema;
        std::erase_if(schema.rules, [&](const SqlRule& rule) {
            return rule.kind == SqlRule::Kind::Reference &&
                   std::none_of(exported.begin(), exported.end(), [&](const PlannedTable* p) {
                       return p->schema.name == rule.parentTable;
                   });
        });
        sql += ddl.addReferences(schema, false);
    }
    return sql.empty() ? sql : sql + '\n';
}

// Refused whole, before the first table is written, rather than stopping half way:
// a table the user has is kept unless he asked to replace it; rows only go into a
// table that can take them.
bool sqliteReady(const SqliteExporter& exporter, const ExportRequest& request, TablePlan& plan,
                 std::ostream& err) {
    bool ready = true;
    for (const PlannedTable& table : plan.tables()) {
        const std::string why = request.dataOnly  ? exporter.cannotReceive(table.schema)
                                : request.replace ? std::string()
                                                  : exporter.existing(table.schema.name);
        if (why.empty())
            continue;
        ready = false;
        err << visibleText(table.path) << ": "
            << (request.dataOnly ? "" : "la base contient déjà la table « ") << visibleText(why)
            << (request.dataOnly ? "" : " »") << '\n';
    }
    if (!ready)
        err << "korvanta-cli export: nothing written"
            << (request.dataOnly ? "\n" : "; give --replace to drop those tables\n");
    return ready;
}

int exportToSqlite(const ExportRequest& request, TablePlan& plan, const CodePageOption& page,
                   std::ostream& out, std::ostream& err) {
    std::unique_ptr<SqliteExporter> exporter;
    try {
        // Rows only go into tables already there: a missing file is no database to fill.
        exporter = std::make_unique<SqliteExporter>(request.file, !request.dataOnly);
    } catch (const std::exception& e) {
        err << visibleText(request.file) << ": " << visibleText(e.what()) << '\n';
        return kExitFailed;
    }
    exporter->setReplacing(request.replace);
    exporter->setPart(request.part());
    try {
        if (!sqliteReady(*exporter, request, plan, err))
            return kExitFailed;
    } catch (const std::exception& e) { // not a database, or one SQLite cannot read
        err << visibleText(request.file) << ": " << visibleText(e.what()) << '\n';
        return kExitFailed;
    }
    ProgressBar progress(err, ProgressBar::stderrIsTerminal());
    int status = plan.complete() ? kExitOk : kExitFailed;
    for (const PlannedTable& table : plan.tables()) {
        try {
            const auto opened = openTable(table.path, page);
            const SqlTable schema = checkedSchema(request, table, *opened, err);
            const uint64_t rows = exporter->exportTable(*opened, schema, progress);
            out << visibleText(table.path) << '\t' << rows << " rows\n";
            if (reportLoss(table.path, *opened, err))
                status = kExitFailed;
        } catch (const std::exception& e) {
            status = kExitFailed;
            err << visibleText(table.path) << ": " << visibleText(e.what()) << '\n';
        }
    }
    out.flush();
    return status;
}

// The script is written aside and renamed into place once complete, so that an
// interrupted export never leaves a script that loads half the tables. A script sent
// to standard output (or a pipe) is streamed: the row counts then go to err, so that
// they never end up inside the script.
int exportToScript(const ExportRequest& request, TablePlan& plan, const CodePageOption& page,
                   std::ostream& out, std::ostream& err) {
    std::unique_ptr<OutputTarget> script;
    try {
        script = std::make_unique<OutputTarget>(request.file, out);
        script->append(CopyScriptWriter::preamble());
    } catch (const std::exception& e) { // before any table is read: nothing could be kept
        err << visibleText(request.file) << ": " << visibleText(e.what()) << '\n';
        return kExitFailed;
    }
    ProgressBar progress(err, ProgressBar::stderrIsTerminal());
    int status = plan.complete() ? kExitOk : kExitFailed;
    std::vector<const PlannedTable*> exported;
    for (PlannedTable& table : plan.tables()) {
        uint64_t rows = 0;
        std::string outputFailure; // the disk, not a table: the script cannot be whole
        const CopyScriptWriter::Sink sink = [&](const std::string& text) {
            if (!outputFailure.empty())
                throw std::runtime_error(outputFailure);
            try {
                script->append(text);
            } catch (const std::exception& e) {
                outputFailure = e.what();
                throw;
            }
        };
        try {
            const auto opened = openTable(table.path, page);
            table.schema = checkedSchema(request, table, *opened, err);
            CopyScriptWriter::writeTable(*opened, table.schema, request.replace, request.part(),
                                         progress, rows, sink);
            if (reportLoss(table.path, *opened, err))
                status = kExitFailed;
        } catch (const std::exception& e) {
            if (!outputFailure.empty()) {
                err << visibleText(request.file) << ": " << visibleText(outputFailure) << '\n';
                return kExitFailed;
            }
            err << visibleText(table.path) << ": " << visibleText(e.what()) << '\n';
            // Part of its rows went out: the script stops psql there and is never
            // made whole (a file keeps its old content).
            if (dynamic_cast<const CopyScriptWriter::Broken*>(&e))
                return kExitFailed;
            status = kExitFailed;
            continue;
        }
        (script->isStandardOutput() ? err : out)
            << visibleText(table.path) << '\t' << rows << " rows\n";
        exported.push_back(&table);
    }
    try {
        script->append(referencesOf(exported, request.part()));
        script->append(CopyScriptWriter::epilogue());
        script->commit();
    } catch (const std::exception& e) {
        err << visibleText(request.file) << ": " << visibleText(e.what()) << '\n';
        return kExitFailed;
    }
    out.flush();
    return status;
}

std::filesystem::path csvFile(const ExportRequest& request, const PlannedTable& table) {
    return std::filesystem::path(request.file) / (table.schema.name + ".csv");
}

// The folder is made when missing; a file already there (or a link of that name) is
// only replaced when asked, and the run refused before writing otherwise.
bool csvReady(const ExportRequest& request, TablePlan& plan, std::ostream& err) {
    std::error_code ec;
    if (!std::filesystem::is_directory(request.file, ec)) {
        try {
            engine::fileSystem().makeDirectory(request.file);
        } catch (const std::exception& e) {
            err << visibleText(request.file) << ": " << visibleText(e.what()) << '\n';
            return false;
        }
    }
    bool ready = true;
    for (const PlannedTable& table : plan.tables()) {
        const std::filesystem::path file = csvFile(request, table);
        if (request.replace || !std::filesystem::exists(std::filesystem::symlink_status(file, ec)))
            continue;
        ready = false;
        err << visibleText(table.path) << ": le fichier « " << visibleText(file.string())
            << " » existe déjà\n";
    }
    if (!ready)
        err << "korvanta-cli export: nothing written; give --replace to replace those files\n";
    return ready;
}

int exportToCsv(const ExportRequest& request, TablePlan& plan, const CodePageOption& page,
                std::ostream& out, std::ostream& err) {
    if (!csvReady(request, plan, err))
        return kExitFailed;
    ProgressBar progress(err, ProgressBar::stderrIsTerminal());
    int status = plan.complete() ? kExitOk : kExitFailed;
    for (const PlannedTable& table : plan.tables()) {
        try {
            const uint64_t rows = CsvTableWriter::write(*openTable(table.path, page), table.schema,
                                                        csvFile(request, table), progress);
            out << visibleText(table.path) << '\t' << rows << " rows\n";
        } catch (const std::exception& e) {
            status = kExitFailed;
            err << visibleText(table.path) << ": " << visibleText(e.what()) << '\n';
        }
    }
    out.flush();
    return status;
}

} // namespace

int runExport(const ParsedArguments& args, std::ostream& out, std::ostream& err) {
    const CodePageOption page(args);
    ExportRequest request;
    if (!readRequest(args, request, err))
        return kExitUsage;
    TablePlan plan(request.tables, err);
    if (!request.dictionary.empty() && !describeFrom(request.dictionary, plan, err))
        return kExitFailed;
    if (!plan.assignNames(request.nameRule(), request.renameClashes, err)) {
        err << "korvanta-cli export: nothing written; give --rename-clashes to name the later "
               "tables or columns NAME_2, NAME_3...\n";
        return kExitFailed;
    }
    if (request.target == "--sqlite")
        return exportToSqlite(request, plan, page, out, err);
    if (request.target == "--csv")
        return exportToCsv(request, plan, page, out, err);
    return exportToScript(request, plan, page, out, err);
}

} // namespace cli
