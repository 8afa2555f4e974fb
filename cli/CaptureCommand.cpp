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

#include "capture/CaptureHost.h"
#include "capture/CodeText.h"
#include "capture/StructureCapture.h"
#include "engine/EngineError.h"
#include "framework/dataset/NativePath.h"
#include "framework/dataset/Table.h"
#include "store/DicoFormat.h"
#include "store/DictionaryStore.h"
#include "store/StoreHost.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>

#include <filesystem>
#include <ostream>

namespace cli {

namespace {

// The store and capture without a window: nothing to refresh or repaint, the
// warnings kept for standard error, code always generated.
class HeadlessHost : public store::StoreHost, public capture::CaptureHost {
public:
    void UpdateCommands() override {}
    void setCaption(const QString&) override {}
    void repaintNow() override {}
    QString GetWord(const QString&) override { return {}; }
    void showWarning(const QString& text) override { warning = text; }
    bool codeGenerationOn() const override { return true; }
    capture::CodeText& codeText() override { return code; }

    QString warning;
    capture::CodeLines code;
};

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
    HeadlessHost host;
    store::DictionaryStore store(nullptr, host);
    capture::StructureCapture capture(nullptr, store, host);
    try {
        if (create)
            createUnlessPresent(dico);
        store.OpenDico(dico);
        // Nothing shows the field entries here: without the fields view, no
        // detail has to follow each value the capture sets.
        store.taChamps().Close();
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
            if (capture.CaptureTable(absolute(operands[i])) == capture::CaptureResult::NameInUse) {
                err << visibleText(operands[i]) << ": " << visibleText(host.warning.toStdString())
                    << '\n';
                status = kExitFailed;
            }
        } catch (const std::exception& e) {
            err << visibleText(operands[i]) << ": " << visibleText(e.what()) << '\n';
            status = kExitFailed;
        }
        // Views drop the fields of a closed table later, from the event loop;
        // without one, they are dropped here so that they do not pile up.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Closing writes the dictionary's index files: their failure is this command's too.
    try {
        store.CloseDico();
    } catch (const std::exception& e) {
        err << visibleText(operands[0]) << ": " << visibleText(e.what()) << '\n';
        status = kExitFailed;
    }
    if (!codeFile.empty() && !writeCodeOutput(host.code.lines(), codeFile, out, err))
        return kExitFailed;
    return status;
}

} // namespace cli
