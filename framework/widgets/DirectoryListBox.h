#pragma once

#include <QElapsedTimer>
#include <QListWidget>

namespace widgets {

class FileListBox;

// The directory tree around one directory: its path from the root, one
// level per line, then its subdirectories. Double-clicking a line, or Enter
// or Space on it, goes to that directory; typing letters moves to the next
// line whose name (indentation aside) starts with them. A linked file list
// follows the current directory.
class DirectoryListBox : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    DirectoryListBox(QWidget* parent, const QString& name);

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    QString directory() const { return m_directory; }
    void setDirectory(const QString& directory);
    void setFileList(FileListBox* files);

    // The directory a line stands for.
    QString directoryAt(int row) const;

    void keyboardSearch(const QString& search) override;

signals:
    void directoryChanged(const QString& directory);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fill();
    // Whether a letter was typed a moment ago (a Space then belongs to a name).
    bool typingAhead() const;

    QString m_directory;
    QStringList m_paths; // one directory per line
    FileListBox* m_files = nullptr;
    QString m_typed; // the letters of the type-ahead under way
    QElapsedTimer m_sinceLastLetter;
};

} // namespace widgets
