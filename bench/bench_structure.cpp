// Reading a table's structure (what capture needs: fields and index definitions)
// by the engine, against pxlib's PX_open_file + PX_get_fields: tables of 1, 8, 64
// and 255 fields of every type, with 0, 1, 8 and 32 secondary indexes, empty and
// with 10k rows (the row count must not matter).
//
// pxlib reads the .DB alone (it knows no secondary index), while the engine's
// structure also opens the .PX and every .X* file. So the comparisons are made
// like with like: the engine's fields alone (the same one file on both sides), and
// the whole structure per file opened.
//
//   bench_structure [--no-callgrind]
//   bench_structure --measure engine|fields|pxlib FILE REPEAT   (internal, for callgrind)

#include "bench/BenchSupport.h"

#include "engine/TableFile.h"
#include "tests/support/ScopedFileSystem.h"
#include "tests/support/TableImage.h"

#include <fcntl.h>

#include <chrono>
#include <iostream>
#include <map>
#include <thread>

extern "C" {
#include <paradox.h>
}

namespace {

using namespace tableimage;

struct Shape {
    int fields, indexes, rows;
};

// Field f of the table: every type in turn, Alpha 1 and 255 among them.
FieldSpec fieldAt(int f) {
    static const FieldSpec cycle[] = {
        {"", tLong, 4}, {"", tAlpha, 1}, {"", tNumber},     {"", tMoney},       {"", tShort},
        {"", tDate},    {"", tTime},     {"", tTimestamp},  {"", tLogical},     {"", tAutoInc},
        {"", tBcd, 4},  {"", tBytes, 8}, {"", tMemo, 15},   {"", tFmtMemo, 15}, {"", tGraphic, 15},
        {"", tOle, 15}, {"", tBlob, 15}, {"", tAlpha, 255}, {"", tAlpha, 20},
    };
    FieldSpec s = cycle[size_t(f) % (sizeof cycle / sizeof cycle[0])];
    if (s.type == tAlpha && s.size == 255 && f >= 19)
        s.size = 20; // one wide Alpha is enough
    s.name = "Field_" + std::to_string(f + 1);
    return s;
}

std::string familyDir(const Shape& s) {
    return bench::fixtureDir("structure/F") + std::to_string(s.fields) + "_I" +
           std::to_string(s.indexes) + "_R" + std::to_string(s.rows);
}

// Secondary indexes: up to 10 named ones (.XGn: case-insensitive, descending,
// unique, composite), the rest single-field .Xnn on successive fields.
std::vector<SecondarySpec> secondaries(const Shape& s) {
    std::vector<SecondarySpec> out;
    for (int i = 0; i < s.indexes; ++i) {
        if (i < 10) {
            const uint8_t options[] = {0x01, 0x11, 0x21, 0x00};
            std::vector<int> fields = {1 + i % (s.fields - 1)};
            if (i % 4 == 3)
                fields.push_back(1 + (i + 1) % (s.fields - 1));
            out.push_back({"Index" + std::to_string(i), fields, options[i % 4], true});
        } else {
            out.push_back({"", {1 + (i - 10) % (s.fields - 1)}, 0, false});
        }
    }
    return out;
}

std::string buildFamily(const Shape& s) {
    const std::string dir = familyDir(s);
    std::filesystem::create_directories(dir);
    TableSpec t;
    t.tableName = "STRUCT.DB";
    t.keyFields = 1;
    t.blockKb = s.fields > 64 ? 32 : 4;
    for (int f = 0; f < s.fields; ++f)
        t.fields.push_back(fieldAt(f));
    Builder b(t);
    for (int r = 0; r < s.rows; ++r) {
        std::vector<Bytes> row = {encInt(r + 1, 4)};
        for (int f = 1; f < s.fields; ++f)
            row.push_back(t.fields[size_t(f)].type == tAlpha
                              ? encAlpha("x" + std::to_string(r % 97), t.fields[size_t(f)].size)
                              : nullValue(t.fields[size_t(f)].width()));
        b.addRow(row);
    }
    for (const auto& e : std::filesystem::directory_iterator(dir))
        std::filesystem::remove(e.path());
    writeFamily(dir, "STRUCT", b.build(secondaries(s)));
    return dir + "/STRUCT.DB";
}

size_t engineStructure(const std::string& file) {
    auto t = engine::TableFile::open(file);
    size_t n = 0;
    for (const auto& f : t->fields())
        n += f.name.size() + size_t(f.typeCode() + f.displayWidth());
    for (const auto& ix : t->indexes())
        n += ix.name.size() + ix.fields.size() + ix.options;
    return n;
}

// What pxlib reads: the .DB's header and fields, no index file.
size_t engineFields(const std::string& file) {
    auto t = engine::TableFile::open(file);
    size_t n = 0;
    for (const auto& f : t->fields())
        n += f.name.size() + size_t(f.typeCode() + f.displayWidth());
    return n;
}

size_t structureOf(const std::string& variant, const std::string& file);

void pxlibError(pxdoc_t*, int, const char*, void*) {}

size_t pxlibStructure(const std::string& file) {
    pxdoc_t* px = PX_new2(pxlibError, nullptr, nullptr, nullptr);
    if (PX_open_file(px, file.c_str()) < 0)
        return 0;
    size_t n = 0;
    pxfield_t* f = PX_get_fields(px);
    for (int i = 0; i < PX_get_num_fields(px); ++i)
        n += std::strlen(f[i].px_fname) + size_t(f[i].px_ftype + f[i].px_flen);
    PX_close(px);
    PX_delete(px);
    return n;
}

void dropCache(const std::string& db) {
    const auto dir = std::filesystem::path(db).parent_path();
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        int fd = ::open(e.path().c_str(), O_RDONLY);
        if (fd >= 0) {
            posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
            ::close(fd);
        }
    }
}

size_t structureOf(const std::string& variant, const std::string& file) {
    if (variant == "engine")
        return engineStructure(file);
    return variant == "fields" ? engineFields(file) : pxlibStructure(file);
}

int measureOnly(const std::string& variant, const std::string& file, int repeat) {
    // Warm: process-wide set-up (code-page tables) is paid once per run, not per table.
    size_t sink = structureOf(variant, file);
    bench::measured([&] {
        for (int i = 0; i < repeat; ++i)
            sink += structureOf(variant, file);
    });
    return sink > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 4 && args[0] == "--measure")
        return measureOnly(args[1], args[2], std::stoi(args[3]));
    const bool callgrind = std::find(args.begin(), args.end(), "--no-callgrind") == args.end();
    const std::vector<Shape> shapes = {{1, 0, 0},  {8, 0, 0},     {8, 1, 0},       {8, 8, 0},
                                       {64, 8, 0}, {64, 32, 0},   {255, 0, 0},     {255, 32, 0},
                                       {32, 0, 0}, {8, 8, 10000}, {255, 32, 10000}};
    std::vector<std::string> files;
    for (const Shape& s : shapes)
        files.push_back(buildFamily(s));
    // The engine keeps a directory's listing (companion files in odd letter cases)
    // once the directory has not changed for a few seconds: measure settled
    // directories, as a user's tables are.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    std::map<std::string, double> instrByShape;
    for (size_t shape = 0; shape < shapes.size(); ++shape) {
        const Shape& s = shapes[shape];
        const std::string& file = files[shape];
        const std::string variant = "F" + std::to_string(s.fields) + "_I" +
                                    std::to_string(s.indexes) + "_R" + std::to_string(s.rows);
        const int repeat = 200;
        const double te = bench::bestSeconds(3,
                                             [&] {
                                                 for (int i = 0; i < repeat; ++i)
                                                     engineStructure(file);
                                             }) /
                          repeat;
        const double tp = bench::bestSeconds(3,
                                             [&] {
                                                 for (int i = 0; i < repeat; ++i)
                                                     pxlibStructure(file);
                                             }) /
                          repeat;
        bench::report("B1", s.fields, variant, "us_per_structure", te * 1e6, "pxlib", tp * 1e6);
        // CPU time: on a loaded machine the wall clock mostly measures waiting.
        const double ce = bench::bestCpuSeconds(3,
                                                [&] {
                                                    for (int i = 0; i < repeat; ++i)
                                                        engineStructure(file);
                                                }) /
                          repeat;
        const double cp = bench::bestCpuSeconds(3,
                                                [&] {
                                                    for (int i = 0; i < repeat; ++i)
                                                        pxlibStructure(file);
                                                }) /
                          repeat;
        bench::report("B1", s.fields, variant, "cpu_us_per_structure", ce * 1e6, "pxlib", cp * 1e6);
        double cold = 0;
        for (int i = 0; i < 5; ++i) {
            dropCache(file);
            cold += bench::seconds([&] { engineStructure(file); }) / 5;
        }
        bench::report("B1", s.fields, variant, "us_cold", cold * 1e6);

        bench::CountingFileSystem counting(engine::fileSystem());
        {
            const testsupport::ScopedFileSystem mounted(counting);
            engineStructure(file);
        }
        bench::report("B1", s.fields, variant, "files_opened", double(counting.opens));
        bench::report("B1", s.fields, variant, "bytes_read", double(counting.bytesRead));

        if (callgrind) {
            const int r = 20;
            const double ie =
                bench::callgrindInstructions(bench::selfPath(),
                                             "--measure engine " + file + " " + std::to_string(r)) /
                r;
            const double ip =
                bench::callgrindInstructions(bench::selfPath(),
                                             "--measure pxlib " + file + " " + std::to_string(r)) /
                r;
            const double fieldsOnly =
                bench::callgrindInstructions(bench::selfPath(),
                                             "--measure fields " + file + " " + std::to_string(r)) /
                r;
            instrByShape[variant] = ie;
            bench::report("B1", s.fields, variant, "instructions_per_field", ie / s.fields, "pxlib",
                          ip / s.fields);
            // Like with like: the same .DB read on both sides...
            bench::report("B1", s.fields, variant, "instructions_fields_only", fieldsOnly, "pxlib",
                          ip);
            // ...and the whole structure per file opened (pxlib opens the .DB alone).
            bench::report("B1", s.fields, variant, "instructions_per_file_opened",
                          ie / double(counting.opens), "pxlib", ip);
        }
    }
    if (instrByShape.count("F8_I8_R10000"))
        bench::report("B1", 8, "F8_I8", "instructions_10k_rows_over_empty",
                      instrByShape["F8_I8_R10000"], "empty", instrByShape["F8_I8_R0"]);
    if (instrByShape.count("F255_I32_R10000"))
        bench::report("B1", 255, "F255_I32", "instructions_10k_rows_over_empty",
                      instrByShape["F255_I32_R10000"], "empty", instrByShape["F255_I32_R0"]);
    return 0;
}
