#pragma once

#include <QComboBox>

namespace widgets {

class DirectoryListBox;

// The drives of the machine: its mounted volumes, by their roots. Choosing one shows its root
// in the linked directory list; the box follows the directory list's drive.
class DriveComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    DriveComboBox(QWidget* parent, const QString& name);

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    QString drive() const { return currentText(); }
    void setDirList(DirectoryListBox* dirs);

    // Selects the drive that holds `path`.
    void followPath(const QString& path);

private:
    DirectoryListBox* m_dirs = nullptr;
};

} // namespace widgets
