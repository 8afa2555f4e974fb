#include "framework/reporting/WholeFileWriter.h"

#include "framework/reporting/ReplacingFile.h"

#include <algorithm>

namespace reporting {

namespace {

// Written a piece at a time, so that a disk that fills up part way is
// caught at the piece it refused.
constexpr qsizetype kPieceBytes = 1 << 16;

} // namespace

bool WholeFileWriter::replace(const QString& path, const QByteArray& bytes, QString& error) {
    ReplacingFile file;
    if (!file.begin(path, error))
        return false;
    for (qsizetype done = 0; done < bytes.size(); done += kPieceBytes) {
        const qsizetype piece = std::min(kPieceBytes, bytes.size() - done);
        if (file.write(bytes.constData() + done, piece) != piece)
            break;
    }
    return file.commit(error);
}

} // namespace reporting
