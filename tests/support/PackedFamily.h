#pragma once
// One table family in one byte string: the format of the fuzz inputs, of the seed
// corpus and of the committed regressions.
//
//   "KVT1" then, per file: u8 extension length (1..4), the extension ("DB", "PX",
//   "XG0", "MB", ...), u32 little-endian byte count, the bytes.
//
// An input that does not start with the magic is taken whole as the .DB file, so
// plain table files work as inputs too. Unpacking never trusts a length: a count
// running past the end takes what is left.

#include "tests/support/FamilyFile.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace testsupport {

inline constexpr char kMagic[4] = {'K', 'V', 'T', '1'};

inline std::vector<FamilyFile> unpackFamily(const uint8_t* data, size_t size) {
    std::vector<FamilyFile> files;
    if (size < 4 || std::memcmp(data, kMagic, 4) != 0) {
        files.push_back({"DB", std::vector<unsigned char>(data, data + size)});
        return files;
    }
    size_t at = 4;
    while (at < size && files.size() < 16) {
        size_t extLen = data[at++];
        if (extLen == 0 || extLen > 4 || at + extLen > size)
            break;
        std::string ext(reinterpret_cast<const char*>(data + at), extLen);
        at += extLen;
        if (at + 4 > size)
            break;
        uint32_t n = uint32_t(data[at]) | uint32_t(data[at + 1]) << 8 |
                     uint32_t(data[at + 2]) << 16 | uint32_t(data[at + 3]) << 24;
        at += 4;
        size_t take = n < size - at ? n : size - at;
        files.push_back({ext, std::vector<unsigned char>(data + at, data + at + take)});
        at += take;
    }
    return files;
}

inline std::vector<unsigned char> packFamily(const std::vector<FamilyFile>& files) {
    std::vector<unsigned char> out(kMagic, kMagic + 4);
    for (const auto& f : files) {
        out.push_back(static_cast<unsigned char>(f.ext.size()));
        out.insert(out.end(), f.ext.begin(), f.ext.end());
        uint32_t n = uint32_t(f.bytes.size());
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<unsigned char>(n >> (8 * i)));
        out.insert(out.end(), f.bytes.begin(), f.bytes.end());
    }
    return out;
}

} // namespace testsupport
