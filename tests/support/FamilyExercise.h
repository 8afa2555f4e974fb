#pragma once
// What the fuzz targets do with one table family, shared with the replay and the
// mutation tests so that a committed crasher is replayed exactly as it was found:
// open the family from memory, read its structure, read every row, walk every index
// both ways and look up the first key (exerciseFamily); or write to it and read it
// back (exerciseWrites). Engine errors are the expected outcome for damaged input;
// any other exception, crash or sanitizer report is a finding.

#include "tests/support/FamilyFile.h"
#include "tests/support/MountedFamily.h"
#include "tests/support/PackedFamily.h"

#include "engine/Cursor.h"
#include "engine/EngineError.h"
#include "engine/TableFile.h"

#include <string>
#include <vector>

namespace testsupport {

struct FamilyExercise {
    bool opened = false;
    int engineErrors = 0;              // EngineErrors raised by any step
    int64_t rows = 0;                  // rows seen by the physical walk
    int indexesWalked = 0;             // indexes whose cursor walk ended without an error
    std::vector<std::string> messages; // the EngineError texts, for the tests
};

namespace detail {

// Caps the work per input so that a huge (valid) table cannot time the fuzzer out.
inline constexpr int64_t kMaxSteps = 200000;

template <typename F> void guarded(FamilyExercise& r, F&& f) {
    try {
        f();
    } catch (const engine::EngineError& e) {
        ++r.engineErrors;
        r.messages.emplace_back(e.what());
    }
}

inline std::vector<std::string> splitFields(const std::string& joined) {
    std::vector<std::string> out;
    size_t start = 0;
    while (!joined.empty()) {
        size_t semi = joined.find(';', start);
        out.push_back(joined.substr(start, semi - start));
        if (semi == std::string::npos)
            break;
        start = semi + 1;
    }
    return out;
}

inline void walkIndex(FamilyExercise& r, const std::shared_ptr<engine::TableFile>& t,
                      const engine::IndexInfo& ix) {
    engine::Cursor c(t, ix.options & engine::ixPrimary ? std::vector<std::string>{}
                                                       : splitFields(ix.fields));
    int64_t steps = 0;
    engine::Row firstRow;
    if (c.first()) {
        firstRow = c.row();
        while (steps++ < kMaxSteps && c.next())
            (void)c.row();
    }
    if (c.last())
        while (steps++ < kMaxSteps && c.prior())
            (void)c.row();
    (void)c.count();
    if (!firstRow.empty()) {
        std::vector<engine::Value> key;
        for (const auto& name : splitFields(ix.fields)) {
            int f = t->fieldIndex(name);
            if (f >= 0 && size_t(f) < firstRow.size())
                key.push_back(firstRow[size_t(f)]);
        }
        if (!key.empty()) {
            (void)c.findKey(key);
            c.setRange(key.front());
            if (c.first())
                while (steps++ < kMaxSteps && c.next())
                    (void)c.row();
        }
    }
    ++r.indexesWalked;
}

} // namespace detail

// Runs the table family in `files` through the engine (as /kv-fuzz/T.<ext>).
inline FamilyExercise exerciseFamily(const std::vector<FamilyFile>& files) {
    FamilyExercise r;
    const MountedFamily mounted(files);
    detail::guarded(r, [&] {
        auto t = engine::TableFile::open(mounted.table());
        r.opened = true;
        for (const auto& f : t->fields())
            (void)(f.typeCode() + f.displayWidth());
        std::vector<engine::IndexInfo> indexes;
        detail::guarded(r, [&] { indexes = t->indexes(); });
        detail::guarded(r, [&] {
            t->forEachRow([&](const engine::Row&) { return ++r.rows < detail::kMaxSteps; });
        });
        for (const auto& ix : indexes)
            detail::guarded(r, [&] { detail::walkIndex(r, t, ix); });
    });
    return r;
}

inline FamilyExercise exerciseInput(const uint8_t* data, size_t size) {
    return exerciseFamily(unpackFamily(data, size));
}

namespace detail {

// A row that differs from `row` in its first field (by `step`), so that inserting it
// into a keyed table does not simply collide with the row it was copied from.
inline engine::Row variantOf(engine::Row row, int step) {
    if (row.empty())
        return row;
    engine::Value& v = row.front();
    switch (v.kind) {
    case engine::Value::Kind::Integer:
        v.integer += v.integer < 20000 ? 7919 * step : -7919 * step;
        break;
    case engine::Value::Kind::Text:
        if (v.text.empty())
            v.text = "k";
        v.text[0] = step == 1 ? '~' : '}';
        break;
    case engine::Value::Kind::Float:
        v.real += 7919 * step;
        break;
    default:
        v = engine::Value::fromInt(step);
        break;
    }
    return row;
}

} // namespace detail

// The writing side on the same input: insert a row, update and delete others,
// write the index files back, then read the result again. Damaged tables must be
// refused with the engine's error or left readable, never crash the writer.
inline FamilyExercise exerciseWrites(const std::vector<FamilyFile>& files) {
    FamilyExercise r;
    const MountedFamily mounted(files);
    detail::guarded(r, [&] {
        auto t = engine::TableFile::open(mounted.table());
        r.opened = true;
        engine::Cursor c(t);
        engine::Row first = t->emptyRow();
        detail::guarded(r, [&] {
            if (c.first())
                first = c.row();
        });
        detail::guarded(r, [&] { c.insert(detail::variantOf(first, 1)); });
        detail::guarded(r, [&] {
            if (c.last())
                c.update(detail::variantOf(c.row(), 2));
        });
        detail::guarded(r, [&] {
            if (c.first())
                c.remove();
        });
        detail::guarded(r, [&] { t->flush(); });
    });
    detail::guarded(r, [&] {
        auto again = engine::TableFile::open(mounted.table());
        again->forEachRow([&](const engine::Row&) { return ++r.rows < detail::kMaxSteps; });
        for (const auto& ix : again->indexes())
            detail::guarded(r, [&] { detail::walkIndex(r, again, ix); });
    });
    return r;
}

} // namespace testsupport
