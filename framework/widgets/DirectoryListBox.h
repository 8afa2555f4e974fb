#pragma once

#include <QListWidget>

namespace widgets {

class FileListBox;

// The directory tree around one directory: its path from the root, one
// level per line, then its subdirectories. Double-clicking a line goes to
// that directory; a linked file list follows the current directory.
class DirectoryListBox : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    DirectoryListBox(QWidget* parent, const QString& name);

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    QString directory() const { return directory_; }
    void setDirectory(const QString& directory);
    void setFileList(FileListBox* files);

    // The directory a line stands for.
    QString directoryAt(int row) const;

signals:
    void directoryChanged(const QString& directory);

private:
    void fill();

    QString directory_;
    QStringList paths_; // one directory per line
    FileListBox* files_ = nullptr;
};

} // namespace widgets
