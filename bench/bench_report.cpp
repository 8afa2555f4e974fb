// B7: the dictionary report of about 2,500 table entries (12 field entries
// each, some 32k rows) plus one table of 255 fields that spans pages.
// Measured separately: (a) the data walk the bands make, against a full scan
// of the same file; (b) the layout into pages; (c) the preview up to its
// first page; (d) the pages written as PDF; (b)+(d) against a floor program
// that draws the same strings and lines at the same places with a bare
// QPdfWriter and no data access. Also peak memory, memory per prepared page,
// detail positionings, how fast Cancel stops the layout, and (under
// callgrind) instructions per page for the report and for the floor.
// Then memory at scale: the peak RSS of `korvanta-cli report` (pages drawn
// into the PDF as they are laid out) at 2,500 and 10,000 table entries of the
// benchmarks' dictionary fixture, against the same report with every page
// held (the whole-in-memory path) and against a 10-entry dictionary (the
// program's own size); and the time to the preview's first page through the
// window's own path (layout into the page store, the window shown).
//
//   bench_report [--tables N] [--no-callgrind] [--no-scale]
//   bench_report --measure report|floor --tables N DIR   (for callgrind)
//   bench_report --hold-pages DICT OUT.pdf   (the whole-in-memory side)

#include "bench/BenchSupport.h"
#include "bench/DictionaryFixture.h"

#include "engine/TableFile.h"
#include "framework/dataset/Database.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/NativePath.h"
#include "framework/dataset/Table.h"
#include "framework/reporting/LayoutProgress.h"
#include "framework/reporting/PageStore.h"
#include "framework/reporting/ReportOutput.h"
#include "framework/reporting/ReportPreviewWindow.h"
#include "framework/reporting/TextMeasure.h"
#include "report/Tr_Korvanta.h"
#include "store/DicoFormat.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewWidget>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kFieldsPerTable = 12;
constexpr int kWideTableFields = 255;

// Kilobytes of a /proc/self/status line (VmRSS, VmHWM).
long statusKb(const std::string& key) {
    std::ifstream in("/proc/self/status");
    std::string word;
    long value = 0;
    while (in >> word)
        if (word == key + ":") {
            in >> value;
            return value;
        }
    return 0;
}

void appendRow(dataset::Table& t, int number, const QString& table, bool entry,
               const QString& champ = {}, int longueur = 0) {
    t.Append();
    t.FieldByName("NoEnreg")->setAsInteger(number);
    t.FieldByName("Table")->setAsString(table);
    if (entry) {
        t.FieldByName("CT")->setAsBoolean(true);
    } else {
        t.FieldByName("Champ")->setAsString(champ);
        t.FieldByName("Description")->setAsString("Description of " + champ + " in " + table);
        t.FieldByName("Type")->setAsString(longueur ? "String" : "Integer");
        t.FieldByName("Longueur")->setAsInteger(longueur);
        t.FieldByName("CC")->setAsBoolean(true);
    }
    t.Post();
}

// The dictionary, written through the dataset layer in one transaction.
QString buildDictionary(const QString& dir, int tables, const QString& name = "B7.DB") {
    const QString path = dir + "/" + name;
    store::CreateDicoFile(path);
    dataset::Database& db = *dataset::Database::find("dbDico");
    dataset::Table t(nullptr);
    t.setDatabaseName("dbDico");
    t.setTableName(path);
    t.Open();
    db.StartTransaction();
    int number = 0;
    for (int i = 0; i < tables; ++i) {
        const QString entry = QString("T%1.DB").arg(i, 5, 10, QChar('0'));
        appendRow(t, ++number, entry, true);
        for (int f = 0; f < kFieldsPerTable; ++f)
            appendRow(t, ++number, entry, false, QString("FIELD_%1").arg(f), f % 3 ? 20 : 0);
    }
    appendRow(t, ++number, "WIDE.DB", true);
    for (int f = 0; f < kWideTableFields; ++f)
        appendRow(t, ++number, "WIDE.DB", false, QString("W%1").arg(f), 10);
    db.Commit();
    t.Close();
    return path;
}

// (a) what the bands read, in the order they read it; each data text finds its field once.
int walkData(Tr_Korvanta& form) {
    int positionings = 0;
    qsizetype touched = 0;
    dataset::Field* name = form.taTables->FieldByName("Table");
    std::vector<dataset::Field*> texts;
    for (const char* field : {"Champ", "Description", "Type", "Longueur"})
        texts.push_back(form.taChamps->FieldByName(field));
    for (form.taTables->First(); !form.taTables->Eof(); form.taTables->Next()) {
        ++positionings;
        touched += name->AsString().size();
        for (form.taChamps->First(); !form.taChamps->Eof(); form.taChamps->Next())
            for (dataset::Field* text : texts)
                touched += text->AsString().size();
    }
    return touched > 0 ? positionings : -1;
}

long long scanRows(const QString& path) {
    long long rows = 0;
    engine::TableFile::open(dataset::toNativePath(path))->forEachRow([&](const engine::Row&) {
        ++rows;
        return true;
    });
    return rows;
}

// The floor: the same strings and lines at the same places, drawn with a
// bare QPdfWriter, no clipping, no data.
void floorPdf(const reporting::PreparedReport& report, const QString& path) {
    QPdfWriter writer(path);
    writer.setResolution(600);
    writer.setPageSize(QPageSize(report.pageSize / 96.0, QPageSize::Inch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    const double scale = writer.logicalDpiX() / 96.0;
    for (size_t p = 0; p < report.pages.size(); ++p) {
        if (p)
            writer.newPage();
        for (const reporting::PageItem& item : report.pages[p].items) {
            const QRectF box(item.box.topLeft() * scale, item.box.size() * scale);
            if (item.kind == reporting::PageItem::Kind::Line) {
                painter.drawLine(box.topLeft(), box.topRight());
            } else {
                painter.setFont(reporting::qtFont(item.font, scale));
                painter.drawText(box, item.alignment, item.text);
            }
        }
    }
}

// The page model's own bytes: its items and their texts (the font family and
// the source names share one copy each across the pages).
double modelBytesPerPage(const reporting::PreparedReport& report) {
    double bytes = 0;
    for (const reporting::ReportPage& page : report.pages) {
        bytes += sizeof(page) + double(page.items.capacity()) * sizeof(reporting::PageItem);
        for (const reporting::PageItem& item : page.items)
            bytes += double(item.text.capacity()) * sizeof(QChar);
    }
    return bytes / double(report.pages.size());
}

struct StopAt : reporting::LayoutProgress {
    int row;
    qint64 stoppedAtNs = 0;
    QElapsedTimer* clock;
    bool advance(int done, int) override {
        if (done < row)
            return true;
        stoppedAtNs = clock->nsecsElapsed();
        return false;
    }
};

std::unique_ptr<Tr_Korvanta> openForm(const QString& path) {
    auto form = std::make_unique<Tr_Korvanta>();
    form->setUpForPrinting(path, path);
    return form;
}

int measureOnly(const std::string& what, const QString& dir, int tables) {
    const QString path = buildDictionary(dir, tables);
    auto form = openForm(path);
    if (what == "report")
        bench::measured([&] {
            QString error;
            reporting::writePdf(*form->preparePages(), dir + "/m.pdf", error);
        });
    else {
        const reporting::PreparedReport pages = *form->preparePages();
        bench::measured([&] { floorPdf(pages, dir + "/f.pdf"); });
    }
    return 0;
}

// Peak resident memory (KiB) of one run of argv. A child starts its peak from
// the size of the process that forked it, and this one holds a large report:
// the run is started by a small process, GNU time when installed, else a
// fresh copy of this program (--peak-rss) before it loads anything.
long peakRssKib(const std::vector<std::string>& argv) {
    const bool gnuTime = ::access("/usr/bin/time", X_OK) == 0;
    std::string command = gnuTime ? "/usr/bin/time -f %M" : bench::selfPath() + " --peak-rss";
    for (const std::string& a : argv)
        command += " '" + a + "'";
    command += gnuTime ? " 2>&1 >/dev/null" : "";
    FILE* out = popen(command.c_str(), "r");
    long kib = -1;
    // The figure is the last line: the report program's own warnings come first.
    char line[512];
    while (out && std::fgets(line, sizeof line, out)) {
        char* end = nullptr;
        const long value = std::strtol(line, &end, 10);
        if (end != line && (*end == '\n' || *end == '\0'))
            kib = value;
    }
    if (out && pclose(out) != 0)
        kib = -1;
    return kib;
}

// The report as it was made before pages were handed on: every page laid
// out and held, then drawn into the PDF.
int holdPages(const QString& dictionary, const QString& pdf) {
    auto form = std::make_unique<Tr_Korvanta>();
    form->setUpForPrinting(dictionary, dictionary);
    QString error;
    return reporting::writePdf(*form->preparePages(), pdf, error) ? 0 : 1;
}

#ifdef KV_CLI_PATH
// The dictionary fixture (11 rows per table entry, the case-insensitive name
// index), written once per size.
std::string fixtureOf(int tables) {
    return bench::indexedDictionary(bench::fixtureDir("report-" + std::to_string(tables)),
                                    tables * 11)
        .string();
}

void peakMemory(const QString& dir) {
    const std::string pdf = dir.toStdString() + "/scale.pdf";
    const long program = peakRssKib({KV_CLI_PATH, "report", fixtureOf(10), "-o", pdf});
    for (const int tables : {2500, 10000}) {
        const std::string dictionary = fixtureOf(tables);
        const long streamed = peakRssKib({KV_CLI_PATH, "report", dictionary, "-o", pdf});
        const long held = peakRssKib({bench::selfPath(), "--hold-pages", dictionary, pdf});
        bench::report("B7", tables, "korvanta-cli report", "peak RSS MB", double(streamed) / 1024,
                      "every page held", double(held) / 1024);
        bench::report("B7", tables, "korvanta-cli report", "peak RSS MB", double(streamed) / 1024,
                      "10 table entries", double(program) / 1024);
    }
}
#endif

// The window's own path: the progress window, the layout into the page
// store, the preview shown and painted on its first page. The views are set
// up again first, as the print command does: the preview closes them.
double secondsToFirstPage(Tr_Korvanta& form, const QString& path) {
    form.setUpForPrinting(path, path);
    QElapsedTimer clock;
    clock.start();
    reporting::ReportPreviewWindow* preview = form.previewReport();
    QCoreApplication::processEvents();
    const double seconds = double(clock.nsecsElapsed()) * 1e-9;
    delete preview;
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "--peak-rss") {
        std::printf("%ld\n",
                    bench::childPeakRssKib(std::vector<std::string>(argv + 2, argv + argc), true));
        return 0;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    reporting::registerFontSubstitutes();
    int tables = 2500;
    bool callgrind = true;
    bool scale = true;
    std::string measure;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--tables" && i + 1 < argc)
            tables = std::atoi(argv[++i]);
        else if (arg == "--no-callgrind")
            callgrind = false;
        else if (arg == "--no-scale")
            scale = false;
        else if (arg == "--hold-pages" && i + 2 < argc) {
            QTemporaryDir aside;
            dataset::Database alias(nullptr, "dbDico");
            alias.setPath(aside.path());
            return holdPages(QString::fromLocal8Bit(argv[i + 1]),
                             QString::fromLocal8Bit(argv[i + 2]));
        } else if (arg == "--measure" && i + 1 < argc)
            measure = argv[++i];
    }
    QTemporaryDir dir;
    dataset::Database dbDico(nullptr, "dbDico");
    dbDico.setPath(dir.path());
    if (!measure.empty())
        return measureOnly(measure, dir.path(), tables);

    const QString path = buildDictionary(dir.path(), tables);
    const long long rows = scanRows(path);
    auto form = openForm(path);

    int positionings = 0;
    const double walk = bench::bestSeconds(3, [&] { positionings = walkData(*form); });
    const double scan = bench::bestSeconds(3, [&] { scanRows(path); });
    bench::report("B7", rows, "walk", "seconds", walk, "full scan", scan);
    bench::report("B7", rows, "walk", "detail positionings", positionings, "table entries",
                  tables + 1);

    const long rssBefore = statusKb("VmRSS");
    std::optional<reporting::PreparedReport> pages;
    const double layout = bench::bestSeconds(3, [&] { pages = form->preparePages(); });
    const double pageCount = double(pages->pages.size());
    const long rssAfter = statusKb("VmRSS");
    bench::report("B7", rows, "layout", "pages", pageCount);
    bench::report("B7", rows, "layout", "pages per second", pageCount / layout);
    bench::report("B7", rows, "layout", "KB per prepared page (RSS growth)",
                  double(rssAfter - rssBefore) / pageCount);
    bench::report("B7", rows, "layout", "KB per prepared page (page model)",
                  modelBytesPerPage(*pages) / 1024);
    const double stored = bench::bestSeconds(3, [&] {
        reporting::PageStore store(pages->title, pages->pageSize);
        form->preparePages(store);
    });
    bench::report("B7", rows, "layout into the page store", "seconds", stored, "pages in memory",
                  layout);

    QString error;
    const QString pdf = dir.filePath("b7.pdf");
    const double render = bench::bestSeconds(3, [&] { reporting::writePdf(*pages, pdf, error); });
    const double floor =
        bench::bestSeconds(3, [&] { floorPdf(*pages, dir.filePath("floor.pdf")); });
    bench::report("B7", rows, "pdf", "seconds", render, "bare QPdfWriter", floor);
    bench::report("B7", rows, "layout+pdf", "pages per second", pageCount / (layout + render),
                  "bare QPdfWriter", pageCount / floor);

    QElapsedTimer clock;
    clock.start();
    auto* preview = new reporting::ReportPreviewWindow(*pages);
    preview->show();
    QCoreApplication::processEvents();
    bench::report("B7", rows, "preview", "seconds to first page (pages in memory)",
                  layout + double(clock.nsecsElapsed()) * 1e-9);
    delete preview;
    double firstPage = secondsToFirstPage(*form, path);
    for (int run = 0; run < 2; ++run)
        firstPage = std::min(firstPage, secondsToFirstPage(*form, path));
    form->setUpForPrinting(path, path);
    bench::report("B7", rows, "preview", "seconds to first page (page store)", firstPage,
                  "the data walk", walk);

    StopAt stop;
    stop.row = tables / 2;
    stop.clock = &clock;
    clock.restart();
    form->preparePages(&stop);
    bench::report("B7", rows, "cancel", "seconds from cancel to stop",
                  double(clock.nsecsElapsed() - stop.stoppedAtNs) * 1e-9);
    bench::report("B7", rows, "process", "peak RSS MB", double(statusKb("VmHWM")) / 1024);
#ifdef KV_CLI_PATH
    if (scale)
        peakMemory(dir.path());
#else
    (void)scale;
#endif

    if (callgrind) {
        const int small = 250;
        const std::string args = " --tables " + std::to_string(small);
        const double report =
            bench::callgrindInstructions(bench::selfPath(), "--measure report" + args);
        const double bare =
            bench::callgrindInstructions(bench::selfPath(), "--measure floor" + args);
        const double smallPages = double(
            openForm(buildDictionary(dir.path(), small, "SMALL.DB"))->preparePages()->pages.size());
        if (report > 0 && bare > 0)
            bench::report("B7", small, "layout+pdf", "instructions per page", report / smallPages,
                          "bare QPdfWriter", bare / smallPages);
    }
    return 0;
}
