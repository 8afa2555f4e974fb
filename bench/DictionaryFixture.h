#pragma once
// The dictionary-shaped table every benchmark uses: Long key, Alpha 12/80/20/20,
// Long, two Logicals (142 bytes a row), rows generated from a seed, written
// directly as bytes (not through the engine being measured) with 16 KiB blocks
// and its primary index. Table names come in random letter case, 11 rows per
// table entry, so that a case-insensitive name index has duplicates.

#include "engine/TableDefinition.h"
#include "engine/Value.h"
#include "tests/support/TableImage.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace bench {

struct DictRow {
    int32_t key;
    std::string table, field, type, description;
    int32_t length;
    bool ct, cc;
};

class DictionaryRows {
public:
    explicit DictionaryRows(uint64_t seed = 42) : m_state(seed) {}
    DictRow row(int32_t i) {
        DictRow r;
        r.key = i + 1;
        const int entry = i / 11;
        r.table = tableName(entry);
        r.ct = i % 11 == 0;
        r.cc = !r.ct;
        r.field = r.ct ? std::string() : "FIELD_" + std::to_string(i % 11);
        r.type = r.ct ? std::string() : (i % 3 ? "String" : "Integer");
        r.description = "Description of row " + std::to_string(i) + " with some words " +
                        std::to_string(next() % 100000);
        r.length = r.ct ? 0 : int32_t(next() % 255);
        return r;
    }
    // A name per table entry, spread over the alphabet, in random letter case.
    std::string tableName(int entry) {
        uint64_t h = uint64_t(entry) * 0x9E3779B97F4A7C15ull;
        std::string s;
        for (int k = 0; k < 8; ++k) {
            char c = char('a' + (h >> (5 * k)) % 26);
            s += (next() & 1) ? char(c - 32) : c;
        }
        return s + ".DB";
    }

private:
    uint64_t next() {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return m_state >> 33;
    }
    uint64_t m_state;
};

inline tableimage::TableSpec dictionarySpec(int blockKb = 16) {
    using namespace tableimage;
    TableSpec t;
    t.tableName = "DICT.DB";
    t.keyFields = 1;
    t.blockKb = blockKb;
    t.fields = {{"NoEnreg", tLong},    {"Table", tAlpha, 12}, {"Description", tAlpha, 80},
                {"Champ", tAlpha, 20}, {"Type", tAlpha, 20},  {"Longueur", tLong},
                {"CT", tLogical},      {"CC", tLogical}};
    return t;
}

// Writes DICT.DB/.PX with n rows into dir (reused when already there).
inline std::filesystem::path writeDictionary(const std::filesystem::path& dir, int n) {
    using namespace tableimage;
    std::filesystem::create_directories(dir);
    const auto db = dir / "DICT.DB";
    if (std::filesystem::exists(db) && std::filesystem::exists(dir / ".complete"))
        return db;
    Builder b(dictionarySpec());
    DictionaryRows gen;
    for (int i = 0; i < n; ++i) {
        DictRow r = gen.row(i);
        b.addRow({encInt(r.key, 4), encAlpha(r.table, 12), encAlpha(r.description, 80),
                  encAlpha(r.field, 20), encAlpha(r.type, 20), encInt(r.length, 4),
                  encLogical(r.ct), encLogical(r.cc)});
    }
    writeFamily(dir, "DICT", b.build());
    std::ofstream(dir / ".complete") << n;
    return db;
}

// The dictionary's fields, as the engine creates them.
inline std::vector<engine::FieldDef> dictionaryFields() {
    using engine::FieldType;
    return {{"NoEnreg", FieldType::Long},
            {"Table", FieldType::Alpha, 12},
            {"Description", FieldType::Alpha, 80},
            {"Champ", FieldType::Alpha, 20},
            {"Type", FieldType::Alpha, 20},
            {"Longueur", FieldType::Long},
            {"CT", FieldType::Logical},
            {"CC", FieldType::Logical}};
}

// A generated row as the engine takes it (empty texts are NULL).
inline engine::Row engineRow(const DictRow& r) {
    auto text = [](const std::string& s) {
        return s.empty() ? engine::Value::null() : engine::Value::fromText(s);
    };
    return {engine::Value::fromInt(r.key),
            text(r.table),
            text(r.description),
            text(r.field),
            text(r.type),
            engine::Value::fromInt(r.length),
            engine::Value::fromBool(r.ct),
            engine::Value::fromBool(r.cc)};
}

// n generated rows with the case-insensitive name index IndTable, as the windows open
// them, written once into dir (DICT.DB and its family); the path of DICT.DB.
inline std::filesystem::path indexedDictionary(const std::filesystem::path& dir, int n,
                                               int blockKb = 16) {
    namespace fs = std::filesystem;
    using namespace tableimage;
    if (fs::exists(dir / ".complete"))
        return dir / "DICT.DB";
    fs::remove_all(dir);
    fs::create_directories(dir);
    Builder b(dictionarySpec(blockKb));
    DictionaryRows gen;
    for (int i = 0; i < n; ++i) {
        const DictRow r = gen.row(i);
        b.addRow({encInt(r.key, 4), encAlpha(r.table, 12), encAlpha(r.description, 80),
                  encAlpha(r.field, 20), encAlpha(r.type, 20), encInt(r.length, 4),
                  encLogical(r.ct), encLogical(r.cc)});
    }
    writeFamily(dir, "DICT", b.build({{"IndTable", {1}, 0x01, true}}));
    std::ofstream(dir / ".complete") << n;
    return dir / "DICT.DB";
}

} // namespace bench
