#pragma once

#include <QString>
#include <QStringList>

// The dictionaries the user opened last, most recent first, at most four,
// kept in the user's settings between runs (one list per user).
class RecentDictionaries {
public:
    static constexpr int Capacity = 4;

    QStringList paths() const;
    // Puts `path` first, dropping its older place and the oldest beyond four.
    void remember(const QString& path);
    void forget(const QString& path);

private:
    void store(const QStringList& paths);
};
