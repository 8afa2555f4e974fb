#pragma once

#include <QByteArray>
#include <QString>

namespace reporting {

// Puts bytes made in memory in place of a file so that the file is always
// either its old self or the whole new content: they go to a new file of an
// unpredictable name beside it (created exclusively, never through a link),
// each write checked, synced to the disk and closed, then renamed over it.
// Any failure on the way removes the temporary file and is reported, the old
// file untouched. The writes go through the engine's file layer.
class WholeFileWriter {
public:
    // On failure returns false and sets `error` to the reason.
    static bool replace(const QString& path, const QByteArray& bytes, QString& error);
};

} // namespace reporting
