#include "tests/support/JournalExercise.h"

#include "engine/EngineError.h"
#include "engine/EngineNotice.h"
#include "engine/Journal.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/PackedFamily.h"
#include "tests/support/ScopedFileSystem.h"

#include <map>

namespace testsupport {

namespace fs = std::filesystem;

namespace {

const fs::path kDir = "/journal-fuzz";
const fs::path kTable = kDir / "DICO.DB";
const MemoryFileSystem::Contents kVictim = {'n', 'o', ' ', 'o', 'n', 'e', '\'', 's'};

MemoryFileSystem::Contents read(engine::FileSystem& fs, const fs::path& p) {
    auto f = fs.open(p, engine::OpenMode::Read);
    MemoryFileSystem::Contents bytes(size_t(f->size()));
    bytes.resize(f->readAt(0, bytes.data(), bytes.size()));
    return bytes;
}

std::map<std::string, MemoryFileSystem::Contents> snapshot(MemoryFileSystem& mem) {
    std::map<std::string, MemoryFileSystem::Contents> out;
    for (const fs::path& p : mem.list(kDir))
        out[p.filename().string()] = read(mem, p);
    return out;
}

// What may differ after the recovery: the family files, shorter or equal only.
std::string compare(const std::map<std::string, MemoryFileSystem::Contents>& before,
                    const std::map<std::string, MemoryFileSystem::Contents>& after) {
    const std::string journal = engine::Journal::pathFor(kTable).filename().string();
    for (const auto& [name, bytes] : after) {
        auto was = before.find(name);
        if (was == before.end())
            return "a file appeared: " + name;
        if (name == journal || name == "victim.txt") {
            if (bytes != was->second)
                return name + " changed";
        } else if (bytes.size() > was->second.size()) {
            return name + " grew";
        }
    }
    for (const auto& [name, bytes] : before)
        if (!after.count(name) && name != journal)
            return name + " vanished";
    return {};
}

} // namespace

JournalOutcome exerciseJournal(const uint8_t* data, size_t size) {
    MemoryFileSystem mem;
    for (const FamilyFile& f : unpackFamily(data, size)) {
        const fs::path p =
            f.ext == "JNL" ? engine::Journal::pathFor(kTable) : fs::path(kDir / ("DICO." + f.ext));
        mem.put(p, f.bytes);
    }
    mem.put(kDir / "victim.txt", kVictim);
    const auto before = snapshot(mem);
    JournalOutcome out;
    {
        const ScopedFileSystem mounted(mem);
        engine::setNoticeHandler([&](const std::string& m) { out.message = m; });
        try {
            engine::Journal::recover(kTable, false);
        } catch (const engine::EngineError& e) {
            out.message = e.what();
        }
        engine::setNoticeHandler(nullptr);
    }
    out.applied = !mem.exists(engine::Journal::pathFor(kTable));
    out.violation = compare(before, snapshot(mem));
    out.harmless = out.violation.empty();
    return out;
}

} // namespace testsupport
