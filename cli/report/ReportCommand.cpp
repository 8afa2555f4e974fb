// korvanta-cli report DICT.db -o FILE.pdf [--lang fr|en]
// The dictionary report as a PDF file: the report form and the report engine
// the window prints with, without a window. The pages are drawn with Qt Gui,
// so this command alone starts a GUI application, on the offscreen platform
// when there is no display. It lives in its own program (korvanta-report),
// which korvanta-cli starts for this command only: the other commands never
// load the drawing libraries.

#include "cli/report/ReportCommand.h"
#include "cli/options/CommandTable.h"
#include "cli/options/ExitStatus.h"
#include "cli/options/OptionParser.h"

#include "framework/dataset/NativePath.h"
#include "framework/dataset/Table.h"
#include "framework/reporting/PdfReportFile.h"
#include "framework/reporting/Report.h"
#include "framework/reporting/TextMeasure.h"
#include "lang/TMultiLang.h"
#include "report/Tr_Korvanta.h"
#include "store/DictionaryStore.h"

#include <QApplication>

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <strings.h>

namespace cli {

namespace {

struct ReportArguments {
    std::string dictionary;
    std::string output;
    quint8 language = 0;
};

// The arguments read with the declaration korvanta-cli checks them with.
std::optional<ReportArguments> parseArguments(const std::vector<std::string>& args,
                                              std::ostream& err) {
    const auto parsed = OptionParser(*findCommand("report"), "korvanta-cli").parse(args, err);
    if (!parsed)
        return std::nullopt;
    ReportArguments arguments;
    arguments.dictionary = parsed->operands().front();
    arguments.output = parsed->value("-o");
    arguments.language = strcasecmp(parsed->value("--lang").c_str(), "en") == 0 ? 1 : 0;
    return arguments;
}

// Drawing text needs a GUI application; without a display, the offscreen
// platform serves.
std::unique_ptr<QApplication> startGui() {
    if (QApplication::instance())
        return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "korvanta-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}

// Lays the report out straight into the PDF file, a page at a time, so that
// neither the pages nor the PDF are ever held whole in memory. Returns the
// page count; throws on a dictionary that cannot be read, and sets `error`
// (returning -1) when the file cannot be written.
int writePages(const QString& dictionary, quint8 language, const QString& output, QString& error) {
    // Opened as a batch first: a file that is no dictionary is refused with the
    // store's words before any page is begun.
    store::DictionaryStore store(nullptr);
    store.OpenForBatch(dictionary);
    lang::TMultiLang::SetGlobalLanguage(language);
    Tr_Korvanta form;
    form.setUpForPrinting(store.NomDico(), dictionary);
    reporting::PdfReportFile pdf;
    const bool begun =
        pdf.begin(output, form.repKorvanta->ReportTitle(), form.repKorvanta->pageSize(), error);
    const bool laidOut = begun && form.preparePages(pdf);
    form.closeViews();
    store.CloseDico();
    if (!begun || !pdf.commit(error))
        return -1;
    if (!laidOut) {
        error = QStringLiteral("the PDF could not be drawn");
        return -1;
    }
    return pdf.pages();
}

} // namespace

int writeReport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::optional<ReportArguments> arguments = parseArguments(args, err);
    if (!arguments)
        return kExitUsage;
    const ReportArguments& parsed = *arguments;
    const QString dictionary =
        dataset::fromNativePath(std::filesystem::absolute(parsed.dictionary).lexically_normal());
    std::error_code missing;
    if (!std::filesystem::is_regular_file(dataset::toNativePath(dictionary), missing)) {
        err << parsed.dictionary << ": no such dictionary file\n";
        return kExitFailed;
    }
    const std::unique_ptr<QApplication> app = startGui();
    reporting::registerFontSubstitutes();
    QString error;
    int pages = 0;
    try {
        pages =
            writePages(dictionary, parsed.language, dataset::fromNativePath(parsed.output), error);
    } catch (const std::exception& e) {
        err << parsed.dictionary << ": " << e.what() << '\n';
        return kExitFailed;
    }
    if (pages < 0) {
        err << parsed.output << ": " << error.toStdString() << '\n';
        return kExitFailed;
    }
    out << parsed.output << ": " << pages << " pages\n" << std::flush;
    if (!out) {
        err << "the standard output could not be written\n";
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace cli
