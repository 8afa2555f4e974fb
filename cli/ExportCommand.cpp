// korvanta-cli export (--sqlite OUT.db | --postgresql OUT.sql) [--rename-clashes]
//                     [--replace] [--code-page N] TABLE.db...
// Every row of every table, memos and BLOBs included, into an SQLite database (one
// transaction per table) or into a script of COPY blocks for psql. Every table's
// structure is read first: two tables (or two columns) that the target would take
// for one refuse the run before anything is written, unless the user lets the later
// ones be renamed. A table the user already has is never replaced unless asked: the
// SQLite run is refused before writing, the script stops at its CREATE TABLE. A table that cannot
// be read is named on standard error and the others still go; the exit status is then 1. One line
// per exported table gives its row count.

#include "cli/CodePageOption.h"
#include "cli/Command.h"
#include "cli/CopyScriptWriter.h"
#include "cli/ProgressBar.h"
#include "cli/SqliteExporter.h"
#include "cli/TablePlan.h"
#include "cli/VisibleText.h"

#include "engine/TableFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <unistd.h>

namespace cli {

namespace {

struct ExportRequest {
    std::string target; // "--sqlite" or "--postgresql"
    std::string file;
    std::vector<std::string> tables;
    bool renameClashes = false;
    bool replace = false;

    TargetNames::Rule nameRule() const {
        return target == "--postgresql" ? TargetNames::Rule::First63Bytes
                                        : TargetNames::Rule::IgnoreAsciiCase;
    }
};

const char* const kUsage = "Usage: korvanta-cli export (--sqlite OUT.db | --postgresql OUT.sql) "
                           "[--rename-clashes] [--replace] [--code-page N] TABLE.db...\n";

bool parseRequest(const std::vector<std::string>& args, ExportRequest& request, std::ostream& err) {
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (a == "--sqlite" || a == "--postgresql")) {
            if (!request.target.empty() || i + 1 >= args.size()) {
                err << "korvanta-cli export: give one --sqlite OUT.db or --postgresql OUT.sql\n";
                return false;
            }
            request.target = a;
            request.file = args[++i];
        } else if (!optionsEnded && a == "--rename-clashes") {
            request.renameClashes = true;
        } else if (!optionsEnded && a == "--replace") {
            request.replace = true;
        } else if (!optionsEnded && a.size() > 1 && a[0] == '-') {
            err << "korvanta-cli: unknown option '" << visibleText(a) << "'\n";
            return false;
        } else {
            request.tables.push_back(a);
        }
    }
    if (request.target.empty() || request.tables.empty()) {
        err << "korvanta-cli export: "
            << (request.target.empty() ? "no output given" : "no table given") << '\n'
            << kUsage;
        return false;
    }
    return true;
}

std::shared_ptr<engine::TableFile> openTable(const std::string& path, const CodePageOption& page) {
    auto table = engine::TableFile::open(path);
    page.applyTo(*table);
    return table;
}

// Refused whole, before the first table is written, rather than stopping half way.
bool keepsUsersTables(const SqliteExporter& exporter, TablePlan& plan, std::ostream& err) {
    bool kept = true;
    for (const PlannedTable& table : plan.tables()) {
        const std::string found = exporter.existing(table.schema.name);
        if (found.empty())
            continue;
        kept = false;
        err << visibleText(table.path) << ": la base contient déjà la table « "
            << visibleText(found) << " »\n";
    }
    if (!kept)
        err << "korvanta-cli export: nothing written; give --replace to drop those tables\n";
    return kept;
}

int exportToSqlite(const ExportRequest& request, TablePlan& plan, const CodePageOption& page,
                   std::ostream& out, std::ostream& err) {
    std::unique_ptr<SqliteExporter> exporter;
    try {
        exporter = std::make_unique<SqliteExporter>(request.file);
    } catch (const std::exception& e) {
        err << request.file << ": " << e.what() << '\n';
        return kExitFailed;
    }
    exporter->setReplacing(request.replace);
    if (!request.replace && !keepsUsersTables(*exporter, plan, err))
        return kExitFailed;
    ProgressBar progress(err, ProgressBar::stderrIsTerminal());
    int status = plan.complete() ? kExitOk : kExitFailed;
    for (const PlannedTable& table : plan.tables()) {
        try {
            const uint64_t rows =
                exporter->exportTable(*openTable(table.path, page), table.schema, progress);
            out << visibleText(table.path) << '\t' << rows << " rows\n";
        } catch (const std::exception& e) {
            status = kExitFailed;
            err << visibleText(table.path) << ": " << visibleText(e.what()) << '\n';
        }
    }
    out.flush();
    return status;
}

// The script is written aside and renamed into place once complete, so that an
// interrupted export never leaves a script that loads half the tables.
int exportToScript(const ExportRequest& request, TablePlan& plan, const CodePageOption& page,
                   std::ostream& out, std::ostream& err) {
    const std::string aside = request.file + ".part-" + std::to_string(getpid());
    std::ofstream script(aside, std::ios::binary | std::ios::trunc);
    if (!script) { // before any table is read: nothing could be kept
        err << request.file << ": " << std::strerror(errno) << '\n';
        return kExitFailed;
    }
    script << CopyScriptWriter::preamble();
    ProgressBar progress(err, ProgressBar::stderrIsTerminal());
    int status = plan.complete() ? kExitOk : kExitFailed;
    for (const PlannedTable& table : plan.tables()) {
        try {
            uint64_t rows = 0;
            script << CopyScriptWriter::tableBlock(*openTable(table.path, page), table.schema,
                                                   request.replace, progress, rows);
            out << visibleText(table.path) << '\t' << rows << " rows\n";
        } catch (const std::exception& e) {
            status = kExitFailed;
            err << visibleText(table.path) << ": " << visibleText(e.what()) << '\n';
        }
    }
    script << CopyScriptWriter::epilogue();
    script.close();
    std::error_code ec;
    if (script)
        std::filesystem::rename(aside, request.file, ec);
    if (!script || ec) {
        err << request.file << ": " << (ec ? ec.message() : std::strerror(errno)) << '\n';
        std::filesystem::remove(aside, ec);
        return kExitFailed;
    }
    out.flush();
    return status;
}

} // namespace

int runExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> rest = args;
    CodePageOption page;
    ExportRequest request;
    if (!page.take(rest, err) || !parseRequest(rest, request, err))
        return kExitUsage;
    TablePlan plan(request.tables, err);
    if (!plan.assignNames(request.nameRule(), request.renameClashes, err)) {
        err << "korvanta-cli export: nothing written; give --rename-clashes to name the later "
               "tables or columns NAME_2, NAME_3...\n";
        return kExitFailed;
    }
    if (request.target == "--sqlite")
        return exportToSqlite(request, plan, page, out, err);
    return exportToScript(request, plan, page, out, err);
}

} // namespace cli
