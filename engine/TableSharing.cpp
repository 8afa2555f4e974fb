// Sharing a table with other programs: the locks of TableLock.h taken around each
// read and each change, the change counter, and what is re-read when another
// program committed.

#include "engine/TableData.h"

#include "engine/Bytes.h"
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Journal.h"

#include <time.h>

namespace engine {

using namespace bytes;

namespace {

// Every step of a walk reads the clock: the coarse one (a tick of a few milliseconds)
// costs a fraction of the precise one, which would cost as much as the step's own work.
std::chrono::nanoseconds walkClock() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// The part of the header that every commit rewrites (counts, blocks, the change
// counter): when it is what we last saw, nobody committed since.
constexpr size_t kStampSize = 0x78;
constexpr size_t kCounterOffset = 0x30; // u32, a run-time pointer slot readers ignore
constexpr size_t kCounterByte = 0x2D;   // the format's own change count, one byte

bool journalPresent(const std::filesystem::path& table) {
    return fileSystem().exists(Journal::pathFor(table));
}

// Rolls back the journal a crashed writer left, taking the locks a writer takes,
// on a descriptor of its own (the caller holds no lock but OPEN). A journal that is
// not the table's own is told and left: the caller only reads.
void rollBackAsWriter(const std::filesystem::path& table) {
    std::unique_ptr<File> rw;
    try {
        rw = fileSystem().open(table, OpenMode::ReadWrite);
    } catch (const EngineError& e) {
        if (e.code() != ErrorCode::ReadOnly)
            throw;
        Journal::recover(table, false); // says why it cannot be restored
        return;
    }
    TableLock writer(table);
    writer.attach(*rw);
    writer.holdOpen();
    writer.lockWriter();
    writer.setRead(TableLock::Read::Exclusive);
    Journal::recover(table, false);
}

} // namespace

std::unique_ptr<TableData> TableData::open(const std::filesystem::path& canonical) {
    auto f = fileSystem().open(canonical, OpenMode::Read);
    TableLock lock(canonical);
    lock.attach(*f);
    lock.holdOpen();
    lock.setRead(TableLock::Read::Shared);
    // A journal whose writer holds the table is a commit not applied yet (it waits
    // for our read lock); one nobody holds was left by a crash.
    if (fileSystem().exists(Journal::pathFor(canonical)) && !lock.writerActive()) {
        lock.setRead(TableLock::Read::None);
        rollBackAsWriter(canonical);
        lock.setRead(TableLock::Read::Shared);
    }
    TableHeader h = TableHeader::read(*f, level3CodePage());
    if (h.fileType != ftKeyedTable && h.fileType != ftTable)
        throw EngineError(ErrorCode::NotParadox,
                          quoted(canonical) + " n'est pas une table mais un fichier d'index");
    std::string stamp(kStampSize, '\0');
    stamp.resize(f->readAt(0, stamp.data(), stamp.size()));
    lock.setRead(TableLock::Read::None);
    auto d = std::make_unique<TableData>(canonical, std::move(f), std::move(h), std::move(lock));
    d->m_stamp = std::move(stamp);
    return d;
}

void TableData::requireSoleUser(const std::filesystem::path& table) {
    std::unique_ptr<File> f;
    try {
        f = fileSystem().open(table, OpenMode::ReadWrite);
    } catch (const EngineError& e) {
        if (e.code() == ErrorCode::NotFound)
            return;
        throw;
    }
    TableLock lock(table);
    lock.attach(*f);
    if (!lock.tryExclusiveOpen())
        throw EngineError(ErrorCode::Locked, "La table " + quoted(table) +
                                                 " est ouverte par un autre programme : "
                                                 "fermez-la d'abord");
}

void TableData::beginRead() {
    if (m_readers++ > 0 || m_writers > 0)
        return; // the writer's view is the table's
    try {
        m_lock.setRead(TableLock::Read::Shared);
        refreshIfChanged();
    } catch (...) {
        --m_readers;
        m_lock.setRead(TableLock::Read::None);
        throw;
    }
    m_looked = true;
    m_stepsSinceLook = 0;
    m_lastLook = walkClock();
}

// Through Batch, another program's commit is seen at the latest a batch of steps or a
// few milliseconds (20, plus a tick of the coarse clock) later, as by a reader that paused between
// two steps. Through Header, at once: a commit writes the header before any block (TableLock.h), so
// an unchanged header read without the lock means no block changed before that read either; a torn
// read differs, and goes through the lock.
bool TableData::mayReadFromMemory(MemoryCheck check) {
    constexpr int kStepsPerLook = 256;
    constexpr auto kLookAge = std::chrono::milliseconds(20);
    if (!m_looked || m_readers > 0 || m_writers > 0 || m_needsRecovery)
        return false;
    const auto now = walkClock();
    if (check == MemoryCheck::Batch && m_stepsSinceLook < kStepsPerLook &&
        now - m_lastLook <= kLookAge) {
        ++m_stepsSinceLook;
        return true;
    }
    if (diskStamp() != m_stamp)
        return false;
    m_stepsSinceLook = 0;
    m_lastLook = now;
    return true;
}

void TableData::endRead() noexcept {
    if (--m_readers > 0 || m_writers > 0)
        return;
    try {
        m_lock.setRead(TableLock::Read::None);
    } catch (...) {
        // Dropping a lock does not fail; the descriptor's close drops it anyway.
    }
}

void TableData::beginWrite() {
    if (m_writers++ > 0)
        return;
    try {
        useWritableFile();
        refuseWhereOthersLock();
        m_lock.lockWriter();
        // Holding the writer lock, nobody else changes the file: a journal here is a
        // crashed writer's, and the header read now stays true until we commit.
        if (journalPresent(path))
            recoverHotJournal();
        if (!m_journalSwept) {
            Journal::sweepTemporaries(path); // a writer killed before naming its journal
            m_journalSwept = true;
        }
        refreshIfChanged();
    } catch (...) {
        --m_writers;
        m_lock.unlockWriter();
        throw;
    }
}

void TableData::endWrite() noexcept {
    if (--m_writers > 0)
        return;
    m_lock.unlockWriter();
    // A read scope still open keeps the read lock it took (a commit gave it back).
    if (m_readers == 0) {
        try {
            m_lock.setRead(TableLock::Read::None);
        } catch (...) {
        }
    }
}

// Another program of the family (it does not lock our bytes) announces itself with
// its lock files; writing under it would break its own locking.
void TableData::refuseWhereOthersLock() const {
    const std::filesystem::path dir = path.parent_path();
    for (const char* name : {"PDOXUSRS.LCK", "pdoxusrs.lck", "PARADOX.LCK", "paradox.lck"}) {
        if (fileSystem().lockedByOther(dir / name))
            throw EngineError(ErrorCode::Locked,
                              "La table " + quoted(path) +
                                  " est dans un dossier verrouillé par un autre programme (" +
                                  name + ") : elle ne peut pas être modifiée tant qu'il l'utilise");
    }
}

void TableData::useWritableFile() {
    checkReadable();
    if (header.writeProtected())
        throw EngineError(ErrorCode::ReadOnly,
                          "La table " + quoted(path) + " est protégée en écriture");
    if (m_writable)
        return;
    auto rw = std::make_unique<BufferedFile>(fileSystem().open(path, OpenMode::ReadWrite));
    m_lock.attach(rw->disk());
    file = std::move(rw);
    m_writable = true;
}

void TableData::recoverHotJournal() {
    const TableLock::Read before = m_lock.read();
    const bool wasWriter = m_lock.writerHeld();
    if (!wasWriter) {
        // A reader found it: it rolls back as the writer would.
        m_lock.setRead(TableLock::Read::None);
        rollBackAsWriter(path);
        m_lock.setRead(before);
        return;
    }
    m_lock.setRead(TableLock::Read::Exclusive);
    try {
        Journal::recover(path, true); // a journal not ours refuses the change
    } catch (...) {
        m_lock.setRead(before);
        throw;
    }
    m_lock.setRead(before);
}

std::string TableData::diskStamp() {
    return file->diskBytes(0, kStampSize);
}

void TableData::noteDiskHeader() {
    m_stamp = diskStamp();
}

void TableData::refreshIfChanged() {
    std::string now = diskStamp();
    if (now == m_stamp)
        return;
    // Changed under our read lock means committed, unless the committer died part
    // way: then its journal is hot and is rolled back first.
    if (!m_lock.writerHeld() && fileSystem().exists(Journal::pathFor(path)) &&
        !m_lock.writerActive()) {
        recoverHotJournal();
        now = diskStamp();
    }
    TableHeader fresh = TableHeader::read(*file, level3CodePage());
    if (fresh.recordSize != header.recordSize || fresh.blockSize() != header.blockSize() ||
        fresh.fields.size() != header.fields.size() || fresh.keyFields != header.keyFields ||
        fresh.fileType != header.fileType)
        throw EngineError(ErrorCode::Locked, "La table " + quoted(path) +
                                                 " a été restructurée par un autre programme : "
                                                 "fermez-la et ouvrez-la de nouveau");
    header = std::move(fresh);
    dropCaches();
    m_stamp = std::move(now);
}

// Everything read from the files goes; cursors find their rows again by key.
void TableData::dropCaches() {
    m_haveDirectory = false;
    m_chain.clear();
    m_prefixDirty = true;
    m_directoryFromIndex = false;
    m_primaryIndexUntrusted = false;
    for (SecondaryOrder& o : m_secondary) {
        o.built = false;
        o.entries.clear();
    }
    // The index files lag behind (0x4F) for whoever writes next, not for us alone.
    m_modified = false;
    m_entriesMoved = false;
    m_ownLag = false;
    ++generation;
}

void TableData::bumpChangeCounter() {
    char* r = header.raw.data();
    put32(r, kCounterOffset, u32(r, kCounterOffset) + 1);
    r[kCounterByte] = char(uint8_t(r[kCounterByte]) + 1);
    file->writeAt(kCounterByte, r + kCounterByte, kCounterOffset + 4 - kCounterByte);
}

} // namespace engine
