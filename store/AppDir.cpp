#include "store/AppDir.h"

#include <QCoreApplication>

namespace store {

namespace {
QString& appDirOverride() {
    static QString dir;
    return dir;
}

QString withSeparator(QString dir) {
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}
} // namespace

QString AppDir() {
    if (!appDirOverride().isEmpty())
        return appDirOverride();
    return withSeparator(QCoreApplication::applicationDirPath());
}

void setAppDirOverride(const QString& dir) {
    appDirOverride() = dir.isEmpty() ? QString() : withSeparator(dir);
}

} // namespace store
