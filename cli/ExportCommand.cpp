// korvanta-cli export (--sqlite OUT.db | --postgresql OUT.sql) [--code-page N] TABLE.db...
// Every row of every table, memos and BLOBs included, into an SQLite database (one
// transaction per table) or into a script of COPY blocks for psql. A table that
// cannot be read is named on standard error and the others still go; the exit
// status is then 1. One line per exported table gives its row count.

#include "cli/AsideFile.h"
#include "cli/CodePageOption.h"
#include "cli/Command.h"
#include "cli/CopyScriptWriter.h"
#include "cli/ProgressBar.h"
#include "cli/ReadingLoss.h"
#include "cli/SqliteExporter.h"
#include "cli/VisibleText.h"

#include "engine/TableFile.h"

#include <memory>
#include <ostream>

namespace cli {

namespace {

struct ExportRequest {
    std::string target; // "--sqlite" or "--postgresql"
    std::string file;
    std::vector<std::string> tables;
};

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
        } else if (!optionsEnded && a.size() > 1 && a[0] == '-') {
            err << "korvanta-cli: unknown option '" << visibleText(a) << "'\n";
            return false;
        } else {
            request.tables.push_back(a);
        }
    }
    if (request.target.empty() || request.tables.empty()) {
        err << "korvanta-cli export: "
            << (request.target.empty() ? "no output given" : "no table given")
            << "\nUsage: korvanta-cli export (--sqlite OUT.db | --postgresql OUT.sql) "
               "[--code-page N] TABLE.db...\n";
        return false;
    }
    return true;
}

bool appendOrReport(AsideFile& script, const std::string& text, const std::string& file,
                    std::ostream& err) {
    try {
        script.append(text);
        return true;
    } catch (const std::exception& e) { // the disk, not a table: the script cannot be whole
        err << visibleText(file) << ": " << visibleText(e.what()) << '\n';
        return false;
    }
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

int exportToSqlite(const ExportRequest& request, const CodePageOption& page, std::ostream& out,
                   std::ostream& err) {
    std::unique_ptr<SqliteExporter> exporter;
    try {
        exporter = std::make_unique<SqliteExporter>(request.file);
    } catch (const std::exception& e) {
        err << visibleText(request.file) << ": " << visibleText(e.what()) << '\n';
        return kExitFailed;
    }
    ProgressBar progress(err, ProgressBar::stderrIsTerminal());
    int status = kExitOk;
    for (const std::string& path : request.tables) {
        try {
            const auto table = openTable(path, page);
            const uint64_t rows = exporter->exportTable(*table, progress);
            out << visibleText(path) << '\t' << rows << " rows\n";
            if (reportLoss(path, *table, err))
                status = kExitFailed;
        } catch (const std::exception& e) {
            status = kExitFailed;
            err << visibleText(path) << ": " << visibleText(e.what()) << '\n';
        }
    }
    out.flush();
    return status;
}

// The script is written aside and renamed into place once complete, so that an
// interrupted export never leaves a script that loads half the tables.
int exportToScript(const ExportRequest& request, const CodePageOption& page, std::ostream& out,
                   std::ostream& err) {
    std::unique_ptr<AsideFile> script;
    try {
        script = std::make_unique<AsideFile>(request.file);
        script->append(CopyScriptWriter::preamble());
    } catch (const std::exception& e) { // before any table is read: nothing could be kept
        err << visibleText(request.file) << ": " << visibleText(e.what()) << '\n';
        return kExitFailed;
    }
    ProgressBar progress(err, ProgressBar::stderrIsTerminal());
    int status = kExitOk;
    for (const std::string& path : request.tables) {
        std::string block;
        uint64_t rows = 0;
        try {
            const auto table = openTable(path, page);
            block = CopyScriptWriter::tableBlock(*table, progress, rows);
            if (reportLoss(path, *table, err))
                status = kExitFailed;
        } catch (const std::exception& e) {
            status = kExitFailed;
            err << visibleText(path) << ": " << visibleText(e.what()) << '\n';
            continue;
        }
        if (!appendOrReport(*script, block, request.file, err))
            return kExitFailed;
        out << visibleText(path) << '\t' << rows << " rows\n";
    }
    try {
        script->append(CopyScriptWriter::epilogue());
        script->commit();
    } catch (const std::exception& e) {
        err << visibleText(request.file) << ": " << visibleText(e.what()) << '\n';
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
    if (request.target == "--sqlite")
        return exportToSqlite(request, page, out, err);
    return exportToScript(request, page, out, err);
}

} // namespace cli
