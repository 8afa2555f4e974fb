#include "codewin/CodeFile.h"

#include "capture/CodeFileBytes.h"

#include <QFileInfo>
#include <QSaveFile>

#include <stdexcept>

void CodeFile::write(const QString& fileName, const QStringList& lines) {
    const auto fail = [&fileName] {
        throw std::runtime_error(cannotCreateMessage(fileName).toStdString());
    };
    // Replacing by renaming would go past a write protection that the user
    // set on the file; a file that nobody may write counts as protected even
    // for the superuser.
    const QFileInfo existing(fileName);
    const QFile::Permissions anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (existing.exists() &&
        (!existing.isFile() || !existing.isWritable() || !(existing.permissions() & anyWrite)))
        fail();
    QSaveFile file(fileName);
    // Unbuffered, so that a failed write is seen here: a write that failed
    // only while the buffer was flushed at commit would still be renamed
    // into place. Left uncommitted, the temporary file is removed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail();
    const QByteArray bytes = capture::CodeFileBytes::encode(lines);
    if (file.write(bytes) != bytes.size() || file.error() != QFileDevice::NoError || !file.commit())
        fail();
}

QString CodeFile::cannotCreateMessage(const QString& fileName) {
    return QStringLiteral("Ne peut créer le fichier %1").arg(fileName);
}
