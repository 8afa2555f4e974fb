// Writes the fuzz seed corpus: every table of tests/support/SeedTables.h as one
// fuzz input (PackedFamily.h format) named seed-<name>.kvt in the directory given.
// Usage: kv_fuzz_seeds fuzz/corpus

#include "tests/support/PackedFamily.h"
#include "tests/support/SeedTables.h"

#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: kv_fuzz_seeds DIRECTORY\n";
        return 2;
    }
    for (const auto& seed : testsupport::seeds::all()) {
        std::vector<testsupport::FamilyFile> files;
        files.push_back({"DB", seed.family.at("DB")});
        for (const auto& [ext, bytes] : seed.family)
            if (ext != "DB")
                files.push_back({ext, bytes});
        auto packed = testsupport::packFamily(files);
        std::ofstream out(std::filesystem::path(argv[1]) / ("seed-" + seed.name + ".kvt"),
                          std::ios::binary);
        out.write(reinterpret_cast<const char*>(packed.data()), std::streamsize(packed.size()));
        if (!out) {
            std::cerr << "cannot write seed " << seed.name << '\n';
            return 1;
        }
    }
    return 0;
}
