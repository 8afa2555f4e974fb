#include "store/DataDirLocation.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace store {

namespace {
const QString kDataFolder = QStringLiteral("Datas");
}

QString DataDirLocation::forAppDir(const QString& appDir) {
    if (canCreateFilesIn(appDir))
        return appDir + kDataFolder;
    const QString parent = userDataDir();
    QDir().mkpath(parent);
    return parent + QLatin1Char('/') + kDataFolder;
}

bool DataDirLocation::canCreateFilesIn(const QString& dir) {
    QTemporaryFile probe(dir + QStringLiteral(".korvanta-probe-XXXXXX"));
    return probe.open();
}

QString DataDirLocation::userDataDir() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/korvanta");
}

} // namespace store
