#include "framework/reporting/WholeFileWriter.h"

#include "framework/dataset/NativePath.h"

#include "engine/EngineError.h"
#include "engine/FileSystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace reporting {

namespace {

// Written a piece at a time, so that a disk that fills up part way is
// caught at the piece it refused.
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

void writeAll(engine::File& file, const QByteArray& bytes) {
    for (qsizetype done = 0; done < bytes.size(); done += kPieceBytes) {
        const qsizetype piece = std::min(kPieceBytes, bytes.size() - done);
        file.writeAt(uint64_t(done), bytes.constData() + done, size_t(piece));
    }
}

void discard(std::unique_ptr<engine::File> file) {
    const std::filesystem::path name = file->path();
    file.reset();
    try {
        engine::fileSystem().remove(name);
    } catch (const engine::EngineError&) {
        // Already reported: the write failed. A leftover hidden name harms no one.
    }
}

} // namespace

bool WholeFileWriter::replace(const QString& path, const QByteArray& bytes, QString& error) {
    const std::filesystem::path target = dataset::toNativePath(path);
    unsigned mode = 0666;
    error = checkTarget(target, mode);
    if (!error.isEmpty())
        return false;
    engine::FileSystem& disk = engine::fileSystem();
    std::unique_ptr<engine::File> temporary;
    bool renamed = false;
    try {
        temporary = disk.createTemporary(target, mode);
        writeAll(*temporary, bytes);
        temporary->sync();
        temporary->close();
        disk.rename(temporary->path(), target);
        renamed = true;
        disk.syncDirectory(target.parent_path());
        return true;
    } catch (const engine::EngineError& e) {
        if (temporary && !renamed)
            discard(std::move(temporary));
        error = QString::fromStdString(e.what());
        return false;
    }
}

} // namespace reporting
