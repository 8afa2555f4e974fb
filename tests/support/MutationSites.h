#pragma once
// Which bytes of a table file are worth mutating one at a time: the parts a reader
// interprets. The header up to its last used byte (without the table-name area,
// which no reader looks at), and in each of the first two blocks its 6-byte header,
// its first two records and its last one. For a .MB file: its header fields and the
// headers and slot tables of its first two blocks.

#include "tests/support/FamilyExercise.h"
#include "tests/support/TableImage.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace testsupport {

inline std::vector<size_t> mutationSites(const tableimage::Bytes& f, bool isBlobFile) {
    using tableimage::get16;
    std::vector<size_t> at;
    if (isBlobFile) {
        for (size_t i = 0; i < std::min<size_t>(f.size(), 0x30); ++i)
            at.push_back(i);
        for (size_t b = 4096; b < std::min<size_t>(f.size(), 3 * 4096); b += 4096)
            for (size_t i = 0; i < 12 + 64 * 5 && b + i < f.size(); ++i)
                at.push_back(b + i);
        return at;
    }
    const size_t header = get16(f, 2);
    size_t used = get16(f, 0x51);
    if (used == 0 || used > header)
        used = header;
    const uint8_t type = f[4], version = f[0x39];
    const bool indexFile = type == 1 || type == 4 || type == 7;
    const size_t n = get16(f, 0x21);
    const size_t nameAt =
        (indexFile || version < 5 ? 0x58 : 0x78) + 2 * n + 4 + (indexFile ? 0 : 4 * n);
    const size_t nameEnd = nameAt + (version == 0x0C ? 261 : 79);
    for (size_t i = 0; i < used; ++i)
        if (i < nameAt || i >= nameEnd)
            at.push_back(i);
    const size_t block = size_t(f[5]) * 1024, recordSize = get16(f, 0);
    for (size_t b = 0; b < 2 && header + (b + 1) * block <= f.size() && recordSize > 0; ++b) {
        const size_t start = header + b * block;
        const int16_t last = int16_t(get16(f, start + 4));
        const size_t records = last >= 0 ? size_t(last) / recordSize + 1 : 0;
        for (size_t i = 0; i < 6; ++i)
            at.push_back(start + i);
        for (size_t r = 0; r < records; ++r)
            if (r < 2 || r + 1 == records)
                for (size_t i = 0; i < recordSize && 6 + (r + 1) * recordSize <= block; ++i)
                    at.push_back(start + 6 + r * recordSize + i);
    }
    return at;
}

struct MutationSummary {
    int cases = 0;
    int engineErrors = 0; // mutations that ended in the engine's error
    double slowest = 0;   // seconds of the slowest mutation
    double total = 0;
};

// Runs every single-byte mutation (0x00, 0xFF, each bit flip) of the sites of file
// `target` through the reading the fuzz target does. Anything but the engine's
// error escapes.
inline MutationSummary mutateEachSite(std::vector<FamilyFile> files, size_t target) {
    MutationSummary s;
    const auto started = std::chrono::steady_clock::now();
    const std::vector<unsigned char> original = files[target].bytes;
    for (size_t at : mutationSites(original, files[target].ext == "MB")) {
        const uint8_t byte = original[at];
        std::vector<uint8_t> values = {0x00, 0xFF};
        for (int bit = 0; bit < 8; ++bit)
            values.push_back(uint8_t(byte ^ (1u << bit)));
        for (uint8_t v : values) {
            if (v == byte)
                continue;
            files[target].bytes[at] = v;
            const auto t0 = std::chrono::steady_clock::now();
            const FamilyExercise r = exerciseFamily(files);
            s.slowest = std::max(
                s.slowest,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
            s.engineErrors += r.engineErrors > 0;
            ++s.cases;
        }
        files[target].bytes[at] = byte;
    }
    s.total = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return s;
}

} // namespace testsupport
