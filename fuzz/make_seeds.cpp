// Writes the fuzz seed corpus: every table of tests/support/SeedTables.h as one
// fuzz input (PackedFamily.h format) named seed-<name>.kvt in the directory given;
// with a second directory, the journal seeds too: real hot journals, left by
// commits killed half-way, packed with the family they belong to ("JNL").
// Usage: kv_fuzz_seeds fuzz/corpus [fuzz/journal-corpus]

#include "engine/Cursor.h"
#include "engine/Journal.h"
#include "engine/TableDefinition.h"
#include "engine/TableFile.h"
#include "tests/support/KilledCommit.h"
#include "tests/support/PackedFamily.h"
#include "tests/support/SeedTables.h"

#include <fstream>
#include <iostream>
#include <stdlib.h>

namespace fs = std::filesystem;

namespace {

bool writeSeed(const fs::path& file, const std::vector<testsupport::FamilyFile>& files) {
    auto packed = testsupport::packFamily(files);
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(packed.data()), std::streamsize(packed.size()));
    return bool(out);
}

bool writeTableSeeds(const fs::path& dir) {
    for (const auto& seed : testsupport::seeds::all()) {
        std::vector<testsupport::FamilyFile> files;
        files.push_back({"DB", seed.family.at("DB")});
        for (const auto& [ext, bytes] : seed.family)
            if (ext != "DB")
                files.push_back({ext, bytes});
        if (!writeSeed(dir / ("seed-" + seed.name + ".kvt"), files)) {
            std::cerr << "cannot write seed " << seed.name << '\n';
            return false;
        }
    }
    return true;
}

std::vector<unsigned char> bytesOf(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void changeRows(const fs::path& table, int from, const std::string& memo) {
    auto t = engine::TableFile::open(table);
    engine::Cursor c(t);
    t->beginTransaction();
    for (int k = from; k < from + 3; ++k)
        c.insert({engine::Value::fromInt(k), engine::Value::fromText("row " + std::to_string(k)),
                  engine::Value::fromText(memo)});
    t->commit();
}

bool writeJournalSeeds(const fs::path& dir) {
    char work[] = "/tmp/kv-journal-seeds-XXXXXX";
    if (!::mkdtemp(work))
        return false;
    const fs::path pristine = fs::path(work) / "pristine", crashed = fs::path(work) / "crashed";
    fs::create_directories(pristine);
    engine::createTable(pristine / "DICO.DB",
                        {{"K", engine::FieldType::Long},
                         {"Name", engine::FieldType::Alpha, 40},
                         {"Notes", engine::FieldType::Memo, 10}},
                        {{"", {"K"}, engine::ixPrimary}});
    changeRows(pristine / "DICO.DB", 1, std::string(300, 'p'));
    struct Case {
        const char* name;
        std::string memo;
        unsigned skip;
    };
    for (const Case& c : {Case{"short-rows", "m", 0}, Case{"memo-rows", std::string(900, 'q'), 0},
                          Case{"memo-rows-later", std::string(900, 'q'), 2}}) {
        const std::string memo = c.memo;
        if (!testsupport::killCommitMidway(
                pristine, crashed, "DICO.DB", [&](const fs::path& t) { changeRows(t, 100, memo); },
                c.skip))
            return false;
        std::vector<testsupport::FamilyFile> files = {
            {"DB", bytesOf(crashed / "DICO.DB")},
            {"MB", bytesOf(crashed / "DICO.MB")},
            {"JNL", bytesOf(engine::Journal::pathFor(crashed / "DICO.DB"))}};
        if (!writeSeed(dir / (std::string("seed-journal-") + c.name + ".kvt"), files))
            return false;
    }
    fs::remove_all(work);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::cerr << "usage: kv_fuzz_seeds DIRECTORY [JOURNAL-DIRECTORY]\n";
        return 2;
    }
    if (!writeTableSeeds(argv[1]))
        return 1;
    if (argc == 3 && !writeJournalSeeds(argv[2])) {
        std::cerr << "cannot write the journal seeds\n";
        return 1;
    }
    return 0;
}
