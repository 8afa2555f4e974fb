#include "framework/widgets/FileDialogs.h"

#include "framework/widgets/TestFailure.h"

#include <QFileDialog>

namespace widgets {

namespace {

class RealFileDialogs : public FileDialogs {
public:
    QString saveFileName(QWidget* parent, const SaveRequest& request) override {
        QString start = request.initialDir;
        if (!request.fileName.isEmpty())
            start =
                start.isEmpty() ? request.fileName : start + QLatin1Char('/') + request.fileName;
        // The dialog asks before a file that exists is replaced (its default).
        return QFileDialog::getSaveFileName(parent, request.title, start,
                                            qtFilterOf(request.filter));
    }
};

// "*.*" means every file in the filters, as it did where they come from; the
// Qt dialog would hide the names without a dot.
QString everyFileMeansEveryName(const QString& patterns) {
    QStringList mapped = patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString& pattern : mapped)
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
    return mapped.join(QLatin1Char(' '));
}

FileDialogs*& installed() {
    static FileDialogs* dialogs = nullptr;
    return dialogs;
}

} // namespace

FileDialogs& FileDialogs::current() {
    static RealFileDialogs real;
    return installed() ? *installed() : real;
}

void FileDialogs::install(FileDialogs* dialogs) {
    installed() = dialogs;
}

QString qtFilterOf(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int k = 0; k + 1 < parts.size(); k += 2) {
        QString description = parts[k];
        const QString patterns = QString(parts[k + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString shown = QLatin1Char('(') + patterns + QLatin1Char(')');
        const QString meant =
            QLatin1Char('(') + everyFileMeansEveryName(patterns) + QLatin1Char(')');
        if (description.contains(shown))
            entries.append(description.replace(shown, meant));
        else
            entries.append(description + QLatin1Char(' ') + meant);
    }
    return entries.join(QStringLiteral(";;"));
}

QString QueuedFileDialogs::saveFileName(QWidget*, const SaveRequest& request) {
    m_requests.append(request);
    if (m_answers.empty()) {
        TestFailure::report(
            QStringLiteral("Dialogue d'enregistrement inattendu : %1").arg(request.title));
        return {};
    }
    QString answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

} // namespace widgets
