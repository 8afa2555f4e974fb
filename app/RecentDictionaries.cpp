#include "app/RecentDictionaries.h"

#include <QDir>
#include <QSettings>

namespace {

const QString kKey = QStringLiteral("recent/dictionaries");

QSettings userSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Korvanta"),
                     QStringLiteral("Korvanta"));
}

} // namespace

QStringList RecentDictionaries::paths() const {
    QStringList kept = userSettings().value(kKey).toStringList();
    // The file may have been edited by hand: nothing beyond the capacity.
    kept.removeAll(QString());
    return kept.mid(0, Capacity);
}

void RecentDictionaries::remember(const QString& path) {
    const QString clean = QDir::cleanPath(path);
    QStringList list = paths();
    list.removeAll(clean);
    list.prepend(clean);
    store(list.mid(0, Capacity));
}

void RecentDictionaries::forget(const QString& path) {
    QStringList list = paths();
    list.removeAll(QDir::cleanPath(path));
    store(list);
}

void RecentDictionaries::store(const QStringList& paths) {
    QSettings settings = userSettings();
    settings.setValue(kKey, paths);
}
