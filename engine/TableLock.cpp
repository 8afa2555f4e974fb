#include "engine/TableLock.h"

#include "engine/EngineError.h"
#include "engine/FileSystem.h"

#include <atomic>
#include <thread>

namespace engine {

namespace {

// Far past the end of any table (the block numbers of a .DB stop far below),
// so that no program reading or writing data ever meets them.
constexpr uint64_t kLockBase = uint64_t(1) << 62;
constexpr uint64_t kOpenByte = kLockBase;
constexpr uint64_t kWriterByte = kLockBase + 1;
constexpr uint64_t kReadByte = kLockBase + 2;

std::atomic<long long> g_writerWaitMs{5000};
std::atomic<long long> g_readerWaitMs{2000};

LockKind kindOf(TableLock::Read level) {
    switch (level) {
    case TableLock::Read::Shared:
        return LockKind::Shared;
    case TableLock::Read::Exclusive:
        return LockKind::Exclusive;
    default:
        return LockKind::Unlock;
    }
}

std::string seconds(std::chrono::milliseconds d) {
    const long long ms = d.count();
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

} // namespace

TableLock::TableLock(std::filesystem::path table) : m_table(std::move(table)) {}

void TableLock::setWaits(std::chrono::milliseconds writer, std::chrono::milliseconds reader) {
    g_writerWaitMs = writer.count();
    g_readerWaitMs = reader.count();
}

std::chrono::milliseconds TableLock::writerWait() {
    return std::chrono::milliseconds(g_writerWaitMs.load());
}

std::chrono::milliseconds TableLock::readerWait() {
    return std::chrono::milliseconds(g_readerWaitMs.load());
}

void TableLock::attach(File& file) {
    if (m_file == &file)
        return;
    // Shared locks of two descriptors never conflict: take them on the new one
    // before the old one (and its locks) goes.
    if (m_open && !file.lockByte(kOpenByte, LockKind::Shared))
        throw EngineError(ErrorCode::Locked, "La table " + quoted(m_table) +
                                                 " est en cours de suppression par un autre "
                                                 "programme");
    if (m_read == Read::Shared && !file.lockByte(kReadByte, LockKind::Shared))
        throw EngineError(ErrorCode::Locked, "La table " + quoted(m_table) +
                                                 " est en cours d'écriture par un autre programme");
    m_file = &file;
}

// Polls with growing pauses: locks are held for milliseconds, and a blocking
// wait could not be bounded.
bool TableLock::waitFor(uint64_t byte, LockKind kind, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto pause = std::chrono::microseconds(200);
    for (;;) {
        if (m_file->lockByte(byte, kind))
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(10000));
    }
}

void TableLock::holdOpen() {
    if (!waitFor(kOpenByte, LockKind::Shared, readerWait()))
        throw EngineError(ErrorCode::Locked, "La table " + quoted(m_table) +
                                                 " est en cours de suppression ou de "
                                                 "remplacement par un autre programme");
    m_open = true;
}

bool TableLock::tryExclusiveOpen() {
    return m_file->lockByte(kOpenByte, LockKind::Exclusive);
}

void TableLock::lockWriter() {
    if (m_writer)
        return;
    if (!waitFor(kWriterByte, LockKind::Exclusive, writerWait()))
        throw EngineError(ErrorCode::Locked,
                          "La table " + quoted(m_table) +
                              " est utilisée par un autre programme qui la modifie (attente de " +
                              seconds(writerWait()) + ") : réessayez quand il aura terminé");
    m_writer = true;
}

void TableLock::unlockWriter() {
    if (!m_writer)
        return;
    m_writer = false;
    m_file->lockByte(kWriterByte, LockKind::Unlock);
}

bool TableLock::writerActive() {
    if (m_writer)
        return false;
    if (!m_file->lockByte(kWriterByte, LockKind::Shared))
        return true;
    m_file->lockByte(kWriterByte, LockKind::Unlock);
    return false;
}

void TableLock::setRead(Read level) {
    if (level == m_read)
        return;
    if (level == Read::None) {
        m_file->lockByte(kReadByte, LockKind::Unlock);
        m_read = level;
        return;
    }
    if (!waitFor(kReadByte, kindOf(level), readerWait())) {
        if (level == Read::Exclusive)
            throw EngineError(
                ErrorCode::Locked,
                "La table " + quoted(m_table) + " est lue par un autre programme (attente de " +
                    seconds(readerWait()) + ") : la modification n'est pas enregistrée, réessayez");
        throw EngineError(ErrorCode::Locked, "La table " + quoted(m_table) +
                                                 " est en cours d'écriture par un autre "
                                                 "programme (attente de " +
                                                 seconds(readerWait()) + ") : réessayez");
    }
    m_read = level;
}

} // namespace engine
