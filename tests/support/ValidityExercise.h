#pragma once
// One input of the .VAL fuzz target and of its replay test: a table header and the
// NAME.VAL read against it, straight from memory.
//
//   u16 n (little-endian) | n bytes: the .DB file's header | the .VAL bytes
//
// The seeds (fuzz/val-corpus) pack real tables' headers with their real .VAL files.

#include "engine/EngineError.h"
#include "engine/TableHeader.h"
#include "engine/ValidityFile.h"
#include "tests/support/MemoryFileSystem.h"

#include <cstdint>
#include <string>

namespace testsupport {

struct ValidityOutcome {
    bool headerRead = false;
    engine::ValidityRules rules;
};

inline std::string packValidity(const std::string& dbHeader, const std::string& val) {
    std::string out;
    out += char(dbHeader.size() & 0xFF);
    out += char(dbHeader.size() >> 8);
    return out + dbHeader + val;
}

inline ValidityOutcome exerciseValidity(const uint8_t* data, size_t size) {
    ValidityOutcome out;
    if (size < 2)
        return out;
    const size_t n = size_t(data[0] | data[1] << 8);
    if (n > size - 2)
        return out;
    MemoryFileSystem memory;
    memory.put("/v/T.DB", MemoryFileSystem::Contents(data + 2, data + 2 + n));
    engine::TableHeader header;
    try {
        header = engine::TableHeader::read(*memory.open("/v/T.DB", engine::OpenMode::Read), 437);
    } catch (const engine::EngineError&) {
        return out;
    }
    out.headerRead = true;
    const std::string val(reinterpret_cast<const char*>(data) + 2 + n, size - 2 - n);
    out.rules = engine::ValidityFile::parse(val, engine::ValidityFile::tieTo(header, "/v/T.VAL"));
    return out;
}

} // namespace testsupport
