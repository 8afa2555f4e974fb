#pragma once
// Small valid table families covering every field type, keyed and unkeyed, every
// table level, secondary indexes of each kind and BLOBs in the record, in
// suballocated and in single .MB blocks. They are the fuzzer's seeds and the base
// images the damaged-file and mutation tests start from.

#include "tests/support/TableImage.h"

#include <string>
#include <vector>

namespace testsupport {

struct SeedTable {
    std::string name;
    tableimage::Family family;
    uint32_t rows;
};

namespace seeds {

using namespace tableimage;

inline Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// One row per value shape of every type: ordinary, negative, NULL, BLOB sizes.
inline std::vector<Bytes> everyTypeRow(Builder& b, int i) {
    const bool null = i == 2;
    auto v = [&](Bytes x, int width) { return null ? nullValue(width) : x; };
    Bytes graphic = text(std::string("\x01\x00\x00\x01", 4));
    Bytes picture(i == 1 ? 3000 : 40, uint8_t('P' + i));
    uint32_t n = uint32_t(picture.size());
    for (int k = 0; k < 4; ++k)
        graphic.push_back(uint8_t(n >> (8 * k)));
    graphic.insert(graphic.end(), picture.begin(), picture.end());
    return {
        encInt(i + 1, 4),
        v(encAlpha(i == 1 ? "Z\xE9ro caf\xE9" : "alpha " + std::to_string(i), 12), 12),
        v(encDate(1996, 5, 4 + i), 4),
        v(encInt(i == 1 ? -32767 : 100 + i, 2), 2),
        v(encDouble(i == 1 ? -1234.5 : 19.99), 8),
        v(encDouble(i == 1 ? -0.001 : 3.14159), 8),
        v(encLogical(i % 2 == 0), 1),
        v(b.mb().field(15, text(i == 0 ? "short" : std::string(i == 1 ? 100 : 3000, 'm'))), 15),
        v(b.mb().field(10, Bytes(size_t(i == 1 ? 2500 : 17), uint8_t(0xA0 + i))), 10),
        v(b.mb().field(12, text(std::string(30, 'f'))), 12),
        v(b.mb().field(11, text(std::string("\x01\x00\x00\x02", 4) + std::string(50, 'o'))), 11),
        v(b.mb().field(20, graphic, 8), 20),
        v(encTime(13, 45, 10, 250 + i), 4),
        v(encTimestamp(2020, 2, 1, 1, 0, 1, i), 8),
        encInt(i + 1, 4),
        v(encBcd(i == 1 ? "-1.23" : "40.5", 2), 17),
        v(Bytes{0x00, 0x01, uint8_t(i), 0xFF}, 4),
    };
}

inline std::vector<FieldSpec> everyTypeFields() {
    return {{"Id", tLong, 4},       {"Name", tAlpha, 12},  {"Day", tDate},
            {"Small", tShort},      {"Price", tMoney},     {"Ratio", tNumber},
            {"Flag", tLogical},     {"Notes", tMemo, 15},  {"Data", tBlob, 10},
            {"Rich", tFmtMemo, 12}, {"Obj", tOle, 11},     {"Pic", tGraphic, 20},
            {"At", tTime},          {"Stamp", tTimestamp}, {"Counter", tAutoInc},
            {"Amount", tBcd, 2},    {"Raw", tBytes, 4}};
}

inline SeedTable everyType(bool keyed, std::vector<SecondarySpec> secondaries,
                           const std::string& name) {
    TableSpec t;
    t.fields = everyTypeFields();
    t.keyFields = keyed ? 1 : 0;
    t.tableName = "T.DB";
    t.autoInc = 3;
    Builder b(t);
    for (int i = 0; i < 3; ++i)
        b.addRow(everyTypeRow(b, i));
    return {name, b.build(secondaries), 3};
}

// A level-3/4/5 table with the types that level knows.
inline SeedTable oldLevel(uint8_t version, const std::string& name) {
    TableSpec t;
    t.version = version;
    t.blockKb = 1;
    t.codePage = 437;
    t.sortOrder = "ascii";
    t.sortByte = 0;
    t.tableName = "T.DB";
    t.keyFields = 1;
    t.fields = {{"Code", tShort},
                {"Nom", tAlpha, 10},
                {"Prix", tMoney},
                {"Le", tDate},
                {"Qt\x82", tNumber}};
    Builder b(t);
    for (int i = 0; i < 4; ++i)
        b.addRow({encInt(i + 1, 2), encAlpha(i == 3 ? "" : "n\x82" + std::to_string(i), 10),
                  encDouble(i * 2.5), encDate(1990 + i, 1, 1), encDouble(-i)});
    return {name, b.build({{"", {1}, 0, false}}), 4};
}

// Keyed table spread over several blocks, physically reversed, with indexes.
inline SeedTable multiBlock() {
    TableSpec t;
    t.blockKb = 1;
    t.tableName = "T.DB";
    t.keyFields = 2;
    t.reverseBlocks = true;
    t.fields = {{"Table", tAlpha, 12}, {"No", tLong}, {"Champ", tAlpha, 20}, {"CT", tLogical}};
    Builder b(t);
    const char* names[] = {"clients.db", "CLIENTS.DB", "Zeta.db", "alpha.db", "Mid.DB"};
    for (int i = 0; i < 60; ++i)
        b.addRow({encAlpha(names[i % 5], 12), encInt(i, 4), encAlpha("F" + std::to_string(i), 20),
                  encLogical(i % 3 == 0)});
    return {"multiblock-ci-desc",
            b.build({{"IndTable", {0}, 0x01, true}, {"Rev", {2, 3}, 0x10 | 0x20, true}}), 60};
}

inline SeedTable emptyKeyed() {
    TableSpec t;
    t.tableName = "T.DB";
    t.keyFields = 1;
    t.fields = {{"NoEnreg", tLong}, {"Table", tAlpha, 12}};
    Builder b(t);
    return {"empty-keyed", b.build({{"IndTable", {1}, 0x01, true}}), 0};
}

inline std::vector<SeedTable> all() {
    return {
        everyType(true, {}, "every-type-keyed"),
        everyType(false, {}, "every-type-unkeyed"),
        everyType(true,
                  {{"ByName", {1}, 0x01, true}, {"", {3}, 0, false}, {"Mix", {2, 1}, 0x21, true}},
                  "every-type-indexes"),
        oldLevel(0x03, "level3"),
        oldLevel(0x04, "level3-5"),
        oldLevel(0x09, "level4"),
        oldLevel(0x0B, "level5"),
        multiBlock(),
        emptyKeyed(),
    };
}

} // namespace seeds
} // namespace testsupport
