#include "framework/widgets/DriveComboBox.h"

#include "framework/widgets/Component.h"
#include "framework/widgets/DirectoryListBox.h"

#include <QDir>
#include <QSignalBlocker>
#include <QStorageInfo>

namespace widgets {

namespace {

// The roots of the mounted volumes that can be read, in name order: the
// drive letters on Windows, the mount points elsewhere. The file-system root
// is always among them, so that every directory has a drive.
QStringList mountedRoots() {
    QStringList roots{QDir::rootPath()};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath()))
            roots.append(volume.rootPath());
    }
    roots.sort(Qt::CaseInsensitive);
    return roots;
}

} // namespace

DriveComboBox::DriveComboBox(QWidget* parent, const QString& name) : QComboBox(parent) {
    adopt(this, name, parent);
    addItems(mountedRoots());
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (m_dirs)
            m_dirs->setDirectory(itemText(index));
    });
}

void DriveComboBox::setDirList(DirectoryListBox* dirs) {
    m_dirs = dirs;
    if (!m_dirs)
        return;
    connect(m_dirs, &DirectoryListBox::directoryChanged, this, &DriveComboBox::followPath);
    followPath(m_dirs->directory());
}

void DriveComboBox::followPath(const QString& path) {
    // The drive holding the path is the longest root that contains it (a
    // root /media/usb holds /media/usb/x, not /media/usb2).
    const auto holds = [&path](const QString& root) {
        if (!path.startsWith(root, Qt::CaseInsensitive))
            return false;
        return root.endsWith(QLatin1Char('/')) || path.size() == root.size() ||
               path.at(root.size()) == QLatin1Char('/');
    };
    int best = -1;
    for (int k = 0; k < count(); ++k) {
        const QString root = itemText(k);
        if (holds(root) && (best < 0 || root.size() > itemText(best).size()))
            best = k;
    }
    const QSignalBlocker quiet(this);
    setCurrentIndex(best);
}

} // namespace widgets
