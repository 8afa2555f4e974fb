// korvanta-cli check [--json] DICT.db (DIR | TABLE.db...)
// Compares what the dictionary recorded with the tables as they are now: tables
// added or missing, fields added, removed, retyped or resized, indexes added,
// removed or changed. Given a folder, every table of the folder is compared and a
// recorded table absent from it is missing; given tables, only those are compared.
// One line per difference (text, or one JSON object per line). The exit status is
// diff's: 0 when the dictionary still tells the truth, 1 on any difference, 2 on
// trouble (a dictionary or table that cannot be read), differences or not: a script
// must not take a table it could not read for one that did not change.

#include "cli/Command.h"
#include "cli/DictionaryReader.h"
#include "cli/DriftChecker.h"
#include "cli/JsonText.h"
#include "cli/VisibleText.h"

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <strings.h>

namespace cli {

namespace {

namespace fs = std::filesystem;

// diff's statuses: differences found, or the comparison could not be made.
constexpr int kCheckDrift = 1;
constexpr int kCheckTrouble = 2;

// The tables of a folder: its .db files in any letter case, in name order, but the
// dictionary itself when it lives there.
std::vector<std::string> tablesIn(const fs::path& dir, const fs::path& dictionary) {
    std::vector<std::string> out;
    for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
        const std::string ext = e.path().extension().string();
        std::error_code ec;
        if (e.is_regular_file() && strcasecmp(ext.c_str(), ".db") == 0 &&
            !fs::equivalent(e.path(), dictionary, ec))
            out.push_back(e.path().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

void print(const Drift& d, bool json, std::ostream& out) {
    if (json) {
        out << "{\"table\":" << jsonString(d.table) << ",\"change\":" << jsonString(d.change)
            << ",\"name\":" << jsonString(d.name) << ",\"was\":" << jsonString(d.was)
            << ",\"now\":" << jsonString(d.now) << "}\n";
        return;
    }
    out << visibleText(d.table) << '\t' << d.change;
    if (!d.name.empty())
        out << '\t' << visibleText(d.name);
    if (!d.was.empty() || !d.now.empty())
        out << '\t' << (d.was.empty() ? "-" : visibleText(d.was)) << " -> "
            << (d.now.empty() ? "-" : visibleText(d.now));
    out << '\n';
}

struct LiveTable {
    std::string path;
    RecordedTable structure;
    bool matched = false;
};

std::vector<LiveTable> readLive(const std::vector<std::string>& paths, std::ostream& err,
                                int& status) {
    std::vector<LiveTable> live;
    for (const std::string& path : paths) {
        try {
            live.push_back({path, DriftChecker::captureNow(path)});
        } catch (const std::exception& e) {
            status = kCheckTrouble;
            err << visibleText(path) << ": " << visibleText(e.what()) << '\n';
        }
    }
    return live;
}

LiveTable* liveNamed(std::vector<LiveTable>& live, const QString& name) {
    for (LiveTable& t : live)
        if (t.structure.entry.table.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

std::vector<Drift> differences(const std::vector<RecordedTable>& dictionary,
                               std::vector<LiveTable>& live, bool folder) {
    std::vector<Drift> drifts;
    for (const RecordedTable& recorded : dictionary) {
        LiveTable* now = liveNamed(live, recorded.entry.table);
        if (!now) {
            if (folder)
                drifts.push_back({recorded.entry.table.toStdString(), "tableMissing", {}, {}, {}});
            continue;
        }
        now->matched = true;
        for (Drift& d : DriftChecker::compare(recorded, now->structure))
            drifts.push_back(std::move(d));
    }
    for (const LiveTable& t : live)
        if (!t.matched)
            drifts.push_back({t.structure.entry.table.toStdString(), "tableAdded", {}, {}, t.path});
    return drifts;
}

} // namespace

int runCheck(const ParsedArguments& args, std::ostream& out, std::ostream& err) {
    const std::vector<std::string>& operands = args.operands();
    std::error_code ec;
    const bool folder = operands.size() == 2 && fs::is_directory(operands[1], ec);
    std::vector<RecordedTable> dictionary;
    std::vector<std::string> paths;
    try {
        dictionary = DictionaryReader::read(operands[0]);
    } catch (const std::exception& e) {
        err << visibleText(operands[0]) << ": " << visibleText(e.what()) << '\n';
        return kCheckTrouble;
    }
    try {
        paths = folder ? tablesIn(operands[1], operands[0])
                       : std::vector<std::string>(operands.begin() + 1, operands.end());
    } catch (const std::exception& e) {
        err << visibleText(operands[1]) << ": " << visibleText(e.what()) << '\n';
        return kCheckTrouble;
    }
    int status = kExitOk;
    std::vector<LiveTable> live = readLive(paths, err, status);
    const std::vector<Drift> drifts = differences(dictionary, live, folder);
    for (const Drift& d : drifts)
        print(d, args.has("--json"), out);
    out.flush();
    return status != kExitOk ? kCheckTrouble : drifts.empty() ? kExitOk : kCheckDrift;
}

} // namespace cli
