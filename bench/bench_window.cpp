// B8: the main window over dictionaries of 1k, 10k and 100k rows, offscreen. Instructions
// (callgrind, one dump per phase) for: opening the dictionary up to the first paint, one
// Next in the tables view, one in-place edit of the current row posted through the grid's
// model, one repaint of the window. The opening is measured twice: as it comes, and with
// the name order built beforehand by another cursor on the same file, which leaves the
// part outside the engine's order building. Then the capture figure: instructions per
// dictionary row for capturing one 255-field table against eight 32-field tables, through
// the window's own capture path.
//
//   bench_window [--no-callgrind]
//   bench_window --measure open|warm N DICTIONARY   (internal: one window run)
//   bench_window --measure capture WIDTH COUNT DIR  (internal: one capture run)

#include "bench/BenchSupport.h"
#include "bench/DictionaryFixture.h"

#include "app/Startup.h"
#include "app/Tf_Main.h"
#include "capture/StructureCapture.h"
#include "engine/Cursor.h"
#include "engine/TableDefinition.h"
#include "engine/TableFile.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"
#include "framework/dataset/TableModel.h"
#include "framework/widgets/DataGrid.h"
#include "store/AppDir.h"
#include "store/DictionaryStore.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

const char* const kPhases[] = {"open", "next", "edit", "repaint"};

// The dictionary with its case-insensitive name index, as the windows open it.
fs::path windowFixture(int n) {
    return bench::indexedDictionary(bench::fixtureDir("window-" + std::to_string(n)), n);
}

// Each run opens a fresh copy: the edit a run posts, and the index files it leaves lagging
// when the window goes without closing the dictionary, must not change what the next run
// opens.
fs::path freshCopy(const fs::path& dictionary) {
    const fs::path run = dictionary.parent_path().string() + "-run";
    fs::remove_all(run);
    fs::copy(dictionary.parent_path(), run, fs::copy_options::recursive);
    return run / dictionary.filename();
}

void phase(const char* name, const std::function<void()>& work) {
    CALLGRIND_ZERO_STATS;
    CALLGRIND_START_INSTRUMENTATION;
    work();
    CALLGRIND_STOP_INSTRUMENTATION;
    CALLGRIND_DUMP_STATS_AT(name);
}

// The main window as the program starts it, shown offscreen, its data directory in `dir`.
class BenchWindow {
public:
    explicit BenchWindow(const QString& dir) {
        store::setAppDirOverride(dir);
        Startup::createWindows();
        f_Main->show();
        QCoreApplication::processEvents();
    }
    ~BenchWindow() { Startup::destroyWindows(); }
    Tf_Main& operator*() const { return *f_Main; }
    Tf_Main* operator->() const { return f_Main; }
};

int measureWindow(bool warmOrder, const fs::path& dictionary) {
    QTemporaryDir appDir;
    BenchWindow window(appDir.path());
    std::shared_ptr<engine::TableFile> held;
    std::unique_ptr<engine::Cursor> warm;
    if (warmOrder) {
        // Another cursor builds the name order first; holding the file keeps it built.
        held = engine::TableFile::open(dictionary);
        warm = std::make_unique<engine::Cursor>(held, std::vector<std::string>{"Table"});
        warm->first();
    }
    dataset::Table& tables = *window->taDico;
    phase("open", [&] {
        window->Store->OpenDico(QString::fromStdString(dictionary.string()));
        QCoreApplication::processEvents();
        window->repaint();
    });
    phase("next", [&] {
        tables.Next();
        QCoreApplication::processEvents();
    });
    dataset::TableModel& model = *window->grTables->tableModel();
    const int description = model.columnOf(tables.FieldByName(QStringLiteral("Description")));
    phase("edit", [&] {
        model.setData(model.index(model.currentRow(), description), QStringLiteral("Edited"));
        model.submit();
        QCoreApplication::processEvents();
    });
    phase("repaint", [&] { window->repaint(); });
    return 0;
}

// A source table of `fields` Alpha fields named in ascending order.
QString writeSource(const fs::path& dir, const std::string& name, int fields) {
    std::vector<engine::FieldDef> defs;
    for (int i = 1; i <= fields; ++i) {
        char field[16];
        std::snprintf(field, sizeof field, "F%03d", i);
        defs.push_back({field, engine::FieldType::Alpha, 10, false});
    }
    const fs::path file = dir / name;
    engine::createTable(file, defs, {});
    return QString::fromStdString(file.string());
}

// Captures `count` tables of `width` fields, in ascending name order, into a new
// dictionary; writes the number of dictionary rows made to DIR/rows.
int measureCapture(int width, int count, const fs::path& dir) {
    fs::create_directories(dir);
    QTemporaryDir appDir;
    QTemporaryDir sources;
    BenchWindow window(appDir.path());
    QStringList paths;
    for (int t = 0; t < count; ++t)
        paths << writeSource(sources.path().toStdString(), "T" + std::to_string(100 + t) + ".DB",
                             width);
    window->Store->CreateDico(QStringLiteral("bench"));
    capture::StructureCapture capture(&*window, *window->Store);
    const auto generation =
        window->codeGenerationOn() ? capture::CodeGeneration::On : capture::CodeGeneration::Off;
    const int before = window->taDico->RecordCount();
    phase("capture", [&] {
        for (const QString& path : paths)
            window->tableCaptured(capture.CaptureTable(path, generation));
        QCoreApplication::processEvents();
    });
    std::ofstream(dir / "rows") << window->taDico->RecordCount() - before;
    return 0;
}

// Instructions of each named dump of one callgrind run of this program.
std::map<std::string, double> phaseInstructions(const std::string& args) {
    std::map<std::string, double> phases;
    char tmpl[] = "/tmp/kv-window-XXXXXX";
    const int fd = mkstemp(tmpl);
    if (fd < 0)
        return phases;
    close(fd);
    const std::string out = tmpl;
    const std::string cmd =
        "valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file=" + out + ".%p " +
        bench::selfPath() + " " + args + " >/dev/null 2>&1";
    const bool ran = std::system(cmd.c_str()) == 0;
    FILE* ls = popen(("ls " + out + ".* 2>/dev/null").c_str(), "r");
    char name[512];
    while (ls && std::fgets(name, sizeof name, ls)) {
        std::string file(name);
        file.erase(file.find_last_not_of('\n') + 1);
        std::ifstream in(file);
        std::string line, phaseName;
        double total = -1;
        while (std::getline(in, line)) {
            const std::string trigger = "desc: Trigger: Client Request: ";
            if (line.rfind(trigger, 0) == 0)
                phaseName = line.substr(trigger.size());
            if (line.rfind("totals:", 0) == 0 || line.rfind("summary:", 0) == 0)
                total = std::atof(line.c_str() + line.find(':') + 1);
        }
        if (ran && !phaseName.empty())
            phases[phaseName] = total;
        std::remove(file.c_str());
    }
    if (ls)
        pclose(ls);
    std::remove(out.c_str());
    return phases;
}

void benchWindow() {
    std::map<std::string, double> base, baseWarm;
    for (int n : {1000, 10000, 100000}) {
        const fs::path dictionary = windowFixture(n);
        std::map<std::string, double> cold = phaseInstructions(
            "--measure open " + std::to_string(n) + " " + freshCopy(dictionary).string());
        std::map<std::string, double> warm = phaseInstructions(
            "--measure warm " + std::to_string(n) + " " + freshCopy(dictionary).string());
        if (cold.empty() || warm.empty()) {
            std::fprintf(stderr, "bench_window: callgrind gave no figures at N=%d\n", n);
            return;
        }
        if (base.empty()) {
            base = cold;
            baseWarm = warm;
        }
        for (const char* p : kPhases)
            bench::report("window", n, p, "instructions", cold[p], "same at N=1000", base[p]);
        bench::report("window", n, "open outside order building", "instructions", warm["open"],
                      "same at N=1000", baseWarm["open"]);
        bench::report("window", n, "engine order building in open", "instructions",
                      cold["open"] - warm["open"]);
    }
}

double capturePerRow(int width, int count) {
    const fs::path dir = bench::fixtureDir("window-capture-" + std::to_string(width));
    const std::map<std::string, double> phases =
        phaseInstructions("--measure capture " + std::to_string(width) + " " +
                          std::to_string(count) + " " + dir.string());
    int rows = 0;
    std::ifstream(dir / "rows") >> rows;
    if (phases.count("capture") == 0 || rows <= 0)
        return -1;
    return phases.at("capture") / rows;
}

void benchCapture() {
    const double narrow = capturePerRow(32, 8);
    const double wide = capturePerRow(255, 1);
    if (narrow <= 0 || wide <= 0) {
        std::fprintf(stderr, "bench_window: callgrind gave no capture figures\n");
        return;
    }
    bench::report("window", 8 * 33, "capture 8 tables of 32 fields", "instructions per row",
                  narrow);
    bench::report("window", 256, "capture 1 table of 255 fields", "instructions per row", wide,
                  "capture 8 tables of 32 fields", narrow);
}

int measureOnly(int argc, char** argv) {
    const std::string what = argv[2];
    if (what == "capture" && argc == 6)
        return measureCapture(std::atoi(argv[3]), std::atoi(argv[4]), argv[5]);
    if ((what == "open" || what == "warm") && argc == 5)
        return measureWindow(what == "warm", argv[4]);
    std::fprintf(stderr, "bench_window: unknown measure\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc >= 3 && std::string(argv[1]) == "--measure") {
        QApplication app(argc, argv);
        return measureOnly(argc, argv);
    }
    if (argc > 1 && std::string(argv[1]) == "--no-callgrind") {
        std::fprintf(stderr, "bench_window: every figure is an instruction count; nothing to do "
                             "without callgrind\n");
        return 0;
    }
    if (std::system("valgrind --version >/dev/null 2>&1") != 0) {
        std::fprintf(stderr, "bench_window: valgrind is not installed\n");
        return 0;
    }
    benchWindow();
    benchCapture();
    return 0;
}
