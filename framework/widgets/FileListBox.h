#pragma once

#include <QListWidget>
#include <QStringList>

namespace widgets {

// The files of one directory that match a mask, by name. The mask holds one
// or more patterns separated by ";" and matches regardless of letter case
// ("*.db" lists CLIENTS.DB and notes.db). With multiple selection several
// files can be selected; the focused file is the one last clicked.
// Enter on the list and a double-click anywhere on it (on a name or on the
// empty part below the names) are reported as the list's own command; Enter
// first selects the file the keyboard is on.
class FileListBox : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    FileListBox(QWidget* parent, const QString& name);

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    QString directory() const { return m_directory; }
    void setDirectory(const QString& directory);
    QString mask() const { return m_mask; }
    void setMask(const QString& mask);
    void setMultiSelect(bool multi);
    bool multiSelect() const;

    // Reads the directory again.
    void refresh();

    QStringList fileNames() const; // the listed names, in order
    int itemIndex() const { return currentRow(); }
    void setItemIndex(int index) { setCurrentRow(index); }
    int selCount() const;
    // Full path of the focused file when it is selected, else an empty text.
    QString fileName() const;
    // Selects the listed file with this name (or full path) and focuses it.
    bool selectFile(const QString& name);

signals:
    void directoryChanged(const QString& directory);
    // Enter was pressed, or the list was double-clicked.
    void commandGiven();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QString m_directory;
    QString m_mask = QStringLiteral("*.*");
};

} // namespace widgets
