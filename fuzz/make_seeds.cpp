// Writes the fuzz seed corpus: every table of SeedTables.h as one fuzz input
// (FuzzInput.h format) named seed-<name>.kvt in the directory given.
// Usage: kv_fuzz_seeds fuzz/corpus

#include "fuzz/FuzzInput.h"
#include "fuzz/SeedTables.h"

#include <fstream>
#include <iostream>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: kv_fuzz_seeds DIRECTORY\n";
        return 2;
    }
    for (const auto &seed : fuzzsupport::seeds::all()) {
        std::vector<fuzzsupport::FuzzFile> files;
        files.push_back({"DB", seed.family.at("DB")});
        for (const auto &[ext, bytes] : seed.family)
            if (ext != "DB") files.push_back({ext, bytes});
        auto packed = fuzzsupport::packInput(files);
        std::ofstream out(std::filesystem::path(argv[1]) / ("seed-" + seed.name + ".kvt"), std::ios::binary);
        out.write(reinterpret_cast<const char *>(packed.data()), std::streamsize(packed.size()));
        if (!out) {
            std::cerr << "cannot write seed " << seed.name << '\n';
            return 1;
        }
    }
    return 0;
}
