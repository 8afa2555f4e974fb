#include "framework/widgets/DriveComboBox.h"

#include "framework/widgets/Component.h"
#include "framework/widgets/DirectoryListBox.h"

#include <QDir>
#include <QSignalBlocker>

namespace widgets {

DriveComboBox::DriveComboBox(QWidget* parent, const QString& name) : QComboBox(parent) {
    adopt(this, name, parent);
    for (const QFileInfo& root : QDir::drives())
        addItem(root.absoluteFilePath());
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (dirs_)
            dirs_->setDirectory(itemText(index));
    });
}

void DriveComboBox::setDirList(DirectoryListBox* dirs) {
    dirs_ = dirs;
    if (!dirs_)
        return;
    connect(dirs_, &DirectoryListBox::directoryChanged, this, &DriveComboBox::followPath);
    followPath(dirs_->directory());
}

void DriveComboBox::followPath(const QString& path) {
    // The drive holding the path is the longest root that starts it.
    int best = -1;
    for (int k = 0; k < count(); ++k) {
        const QString root = itemText(k);
        if (path.startsWith(root, Qt::CaseInsensitive) &&
            (best < 0 || root.size() > itemText(best).size()))
            best = k;
    }
    const QSignalBlocker quiet(this);
    setCurrentIndex(best);
}

} // namespace widgets
