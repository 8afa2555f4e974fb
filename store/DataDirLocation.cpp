#include "store/DataDirLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace store {

namespace {
const QString kDataFolder = QStringLiteral("Datas");
}

QString DataDirLocation::forAppDir(const QString& appDir) {
    if (!isSystemProgramFolder(appDir) && canCreateFilesIn(appDir))
        return appDir + kDataFolder;
    const QString parent = userDataDir();
    QDir().mkpath(parent);
    return parent + QLatin1Char('/') + kDataFolder;
}

bool DataDirLocation::canCreateFilesIn(const QString& dir) {
    QTemporaryFile probe(dir + QStringLiteral(".korvanta-probe-XXXXXX"));
    return probe.open();
}

bool DataDirLocation::isSystemProgramFolder(const QString& dir) {
    static const QStringList systemFolders = {
        QStringLiteral("/bin"),           QStringLiteral("/sbin"),
        QStringLiteral("/usr/bin"),       QStringLiteral("/usr/sbin"),
        QStringLiteral("/usr/games"),     QStringLiteral("/usr/local/bin"),
        QStringLiteral("/usr/local/sbin")};
    const QString canonical = QFileInfo(dir).canonicalFilePath();
    return systemFolders.contains(canonical.isEmpty() ? QDir::cleanPath(dir) : canonical);
}

QString DataDirLocation::userDataDir() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/korvanta");
}

} // namespace store
