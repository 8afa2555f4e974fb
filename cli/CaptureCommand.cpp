// korvanta-cli capture DICT.db TABLE.db... [--create] [--code FILE]
// Captures each table into the dictionary DICT.db exactly as the add command of
// the program does (duplicate check, numbering, rows, all or nothing per table).
// --create first makes an empty dictionary when DICT.db does not exist; --code
// also writes the generated code text, as `code -o` does (lines ended by CR LF, in
// the bytes the code window saves; UTF-8 on standard output). A refused or
// unreadable table is reported on standard error and the others still go in;
// the exit status is then 1. A dictionary found damaged where the rows would go
// refuses every table, and nothing is written.

#include "cli/Command.h"
#include "cli/OutputFile.h"
#include "cli/VisibleText.h"
#include "cli/options/Message.h"

#include "capture/CodeText.h"
#include "capture/StructureCapture.h"
#include "engine/EngineError.h"
#include "framework/dataset/NativePath.h"
#include "framework/dataset/Table.h"
#include "store/DicoFormat.h"
#include "store/DictionaryStore.h"

#include <QFileInfo>

#include <filesystem>
#include <ostream>

namespace cli {

namespace {

// Names are taken as the bytes given, whatever their encoding.
QString absolute(const std::string& path) {
    return dataset::fromNativePath(std::filesystem::absolute(path).lexically_normal());
}

// Two captures with --create started together: one creates, the other finds
// the dictionary made and captures into it.
void createUnlessPresent(const QString& dico) {
    std::error_code error;
    if (std::filesystem::exists(dataset::toNativePath(dico), error))
        return;
    try {
        store::CreateDicoFile(dico);
    } catch (const engine::EngineError& e) {
        if (e.code() != engine::ErrorCode::AlreadyExists)
            throw;
    }
}

// After a refusal: nothing was written, so closing has nothing to add to the error.
void closeQuietly(store::DictionaryStore& store) {
    try {
        store.CloseDico();
    } catch (const std::exception&) {
    }
}

} // namespace

int runCapture(const ParsedArguments& args, std::ostream& out, std::ostream& err) {
    const std::vector<std::string>& operands = args.operands();
    const std::string codeFile = args.value("--code");
    const bool create = args.has("--create");
    if (operands.size() == 1 && !create) {
        err << Message{"korvanta-cli capture: give at least one table after the dictionary\n",
                       "korvanta-cli capture : donnez au moins une table après le "
                       "dictionnaire\n"}
                   .text();
        return kExitUsage;
    }
    const QString dico = absolute(operands[0]);
    store::DictionaryStore store(nullptr);
    capture::StructureCapture capture(nullptr, store);
    capture::CodeLines code;
    try {
        if (create)
            createUnlessPresent(dico);
        store.OpenForBatch(dico);
        // Each table goes in its own transaction: damage is refused before the first.
        capture.CheckDictionary();
    } catch (const std::exception& e) {
        err << visibleText(operands[0]) << ": " << visibleText(e.what()) << '\n';
        closeQuietly(store);
        return kExitFailed;
    }
    int status = kExitOk;
    for (size_t i = 1; i < operands.size(); ++i) {
        try {
            const capture::CaptureOutcome outcome =
                capture.CaptureTable(absolute(operands[i]), capture::CodeGeneration::On);
            if (!outcome.captured()) {
                err << visibleText(operands[i]) << ": "
                    << visibleText(outcome.refusal.toStdString()) << '\n';
                status = kExitFailed;
            }
            for (const QString& line : outcome.code)
                code.appendLine(line);
        } catch (const std::exception& e) {
            err << visibleText(operands[i]) << ": " << visibleText(e.what()) << '\n';
            status = kExitFailed;
        }
        store.ReleaseSourceTable();
    }
    // Closing writes the dictionary's index files: their failure is this command's too.
    try {
        store.CloseDico();
    } catch (const std::exception& e) {
        err << visibleText(operands[0]) << ": " << visibleText(e.what()) << '\n';
        status = kExitFailed;
    }
    if (!codeFile.empty() && !writeCodeOutput(code.lines(), codeFile, out, err))
        return kExitFailed;
    return status;
}

} // namespace cli
