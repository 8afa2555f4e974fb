#include "framework/reporting/ReplacingFile.h"

#include "framework/dataset/NativePath.h"

#include "engine/EngineError.h"
#include "engine/FileSystem.h"

#include <sys/stat.h>
#include <unistd.h>

namespace reporting {

namespace {

// Bytes go to the disk a piece at a time: few system calls for the many small
// writes a PDF writer makes, and a disk that fills up part way is caught at
// the piece it refused.
constexpr qsizetype kPieceBytes = 1 << 16;

// The target's permissions carried over to its replacement; a new file gets
// the usual ones. A target the user may not write, or that is not a plain
// file, is refused rather than renamed over.
QString checkTarget(const std::filesystem::path& target, unsigned& mode) {
    struct stat existing {};
    mode = 0666;
    if (::lstat(target.c_str(), &existing) != 0)
        return {};
    if (!S_ISREG(existing.st_mode))
        return QStringLiteral("not a plain file; left as it is");
    if ((existing.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)
        return QStringLiteral("the file is write-protected; left as it is");
    mode = existing.st_mode & 0777;
    return {};
}

} // namespace

ReplacingFile::ReplacingFile() = default;

ReplacingFile::~ReplacingFile() {
    abandon();
}

bool ReplacingFile::begin(const QString& path, QString& error) {
    m_target = dataset::toNativePath(path);
    unsigned mode = 0666;
    error = checkTarget(m_target, mode);
    if (!error.isEmpty())
        return false;
    try {
        m_file = engine::fileSystem().createTemporary(m_target, mode);
    } catch (const engine::EngineError& e) {
        error = QString::fromStdString(e.what());
        return false;
    }
    return open(QIODevice::WriteOnly);
}

qint64 ReplacingFile::writeData(const char* data, qint64 size) {
    if (!m_file || !m_failure.isEmpty())
        return -1;
    m_piece.append(data, size);
    while (m_piece.size() >= kPieceBytes)
        if (!writePiece(kPieceBytes))
            return -1;
    return size;
}

bool ReplacingFile::writePiece(qsizetype bytes) {
    try {
        m_file->writeAt(m_written, m_piece.constData(), size_t(bytes));
    } catch (const engine::EngineError& e) {
        m_failure = QString::fromStdString(e.what());
        return false;
    }
    m_written += quint64(bytes);
    m_piece.remove(0, bytes);
    return true;
}

bool ReplacingFile::commit(QString& error) {
    close();
    if (m_file && m_failure.isEmpty() && !m_piece.isEmpty())
        writePiece(m_piece.size());
    if (!m_file || !m_failure.isEmpty()) {
        error = m_failure.isEmpty() ? QStringLiteral("the file was not begun") : m_failure;
        abandon();
        return false;
    }
    engine::FileSystem& disk = engine::fileSystem();
    try {
        m_file->sync();
        m_file->close();
        disk.rename(m_file->path(), m_target);
    } catch (const engine::EngineError& e) {
        error = QString::fromStdString(e.what());
        abandon();
        return false;
    }
    m_file.reset();
    try {
        disk.syncDirectory(m_target.parent_path());
    } catch (const engine::EngineError& e) {
        // Renamed already: the new content is in place, only its durability is in doubt.
        error = QString::fromStdString(e.what());
        return false;
    }
    return true;
}

void ReplacingFile::abandon() {
    if (isOpen())
        close();
    if (!m_file)
        return;
    const std::filesystem::path name = m_file->path();
    m_file.reset();
    try {
        engine::fileSystem().remove(name);
    } catch (const engine::EngineError&) {
        // The failure that led here is reported; a leftover hidden name harms no one.
    }
}

} // namespace reporting
