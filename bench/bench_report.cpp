// B7: the dictionary report of about 2,500 table entries (12 field entries
// each, some 32k rows) plus one table of 255 fields that spans pages.
// Measured separately: (a) the data walk the bands make, against a full scan
// of the same file; (b) the layout into pages; (c) the preview up to its
// first page; (d) the pages written as PDF; (b)+(d) against a floor program
// that draws the same strings and lines at the same places with a bare
// QPdfWriter and no data access. Also peak memory, memory per prepared page,
// detail positionings, how fast Cancel stops the layout, and (under
// callgrind) instructions per page for the report and for the floor.
//
//   bench_report [--tables N] [--no-callgrind]
//   bench_report --measure report|floor --tables N DIR   (for callgrind)

#include "bench/BenchSupport.h"

#include "engine/TableFile.h"
#include "framework/dataset/Database.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/NativePath.h"
#include "framework/dataset/Table.h"
#include "framework/reporting/LayoutProgress.h"
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

#include <fstream>
#include <memory>
#include <string>

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

// (a) what the bands read, in the order they read it.
int walkData(Tr_Korvanta& form) {
    int positionings = 0;
    qsizetype touched = 0;
    for (form.taTables->First(); !form.taTables->Eof(); form.taTables->Next()) {
        ++positionings;
        touched += form.taTables->FieldByName("Table")->AsString().size();
        for (form.taChamps->First(); !form.taChamps->Eof(); form.taChamps->Next())
            for (const char* field : {"Champ", "Description", "Type", "Longueur"})
                touched += form.taChamps->FieldByName(field)->AsString().size();
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
    form->setUpForPrinting(path, path, path);
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

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    reporting::registerFontSubstitutes();
    int tables = 2500;
    bool callgrind = true;
    std::string measure;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--tables" && i + 1 < argc)
            tables = std::atoi(argv[++i]);
        else if (arg == "--no-callgrind")
            callgrind = false;
        else if (arg == "--measure" && i + 1 < argc)
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
    bench::report("B7", rows, "preview", "seconds to first page",
                  layout + double(clock.nsecsElapsed()) * 1e-9);
    delete preview;

    StopAt stop;
    stop.row = tables / 2;
    stop.clock = &clock;
    clock.restart();
    form->preparePages(&stop);
    bench::report("B7", rows, "cancel", "seconds from cancel to stop",
                  double(clock.nsecsElapsed() - stop.stoppedAtNs) * 1e-9);
    bench::report("B7", rows, "process", "peak RSS MB", double(statusKb("VmHWM")) / 1024);

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
