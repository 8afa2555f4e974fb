#pragma once

#include <QString>
#include <QStringList>

#include <deque>

class QWidget;

namespace widgets {

// What a save dialog asks the file dialog for.
struct SaveRequest {
    QString title;  // empty: the file dialog's own title
    QString filter; // pairs "description|pattern", separated by "|"
    QString initialDir;
    QString fileName;
};

// Test seam of the save-file dialog. The real file dialog is the default; a
// test installs QueuedFileDialogs to answer without a window.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The chosen file, or an empty text when the user cancelled.
    virtual QString saveFileName(QWidget* parent, const SaveRequest& request) = 0;

    static FileDialogs& current();
    // Installs `dialogs` (not owned); nullptr restores the real file dialog.
    static void install(FileDialogs* dialogs);
};

// The filter in the form the Qt file dialog reads: "description (patterns)"
// entries separated by ";;", with the patterns of one entry separated by
// blanks. A description that already shows its patterns is kept as it is,
// except that "*.*" becomes "*": every file, with or without an extension.
QString qtFilterOf(const QString& filter);

// Answers save dialogs from a queue (an empty answer is a cancel) and keeps
// every request. With no queued answer it reports a test failure and cancels.
class QueuedFileDialogs : public FileDialogs {
public:
    void push(const QString& answer) { m_answers.push_back(answer); }
    QString saveFileName(QWidget* parent, const SaveRequest& request) override;
    const QList<SaveRequest>& requests() const { return m_requests; }

private:
    std::deque<QString> m_answers;
    QList<SaveRequest> m_requests;
};

} // namespace widgets
