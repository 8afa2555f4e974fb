#include "framework/widgets/DirectoryListBox.h"

#include "framework/widgets/Component.h"
#include "framework/widgets/FileListBox.h"

#include <QDir>

namespace widgets {

DirectoryListBox::DirectoryListBox(QWidget* parent, const QString& name) : QListWidget(parent) {
    adopt(this, name, parent);
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* it) { setDirectory(directoryAt(row(it))); });
    setDirectory(QDir::currentPath());
}

void DirectoryListBox::setDirectory(const QString& directory) {
    const QString clean = QDir::cleanPath(QDir(directory).absolutePath());
    if (!QDir(clean).exists() || clean == directory_)
        return;
    directory_ = clean;
    fill();
    if (files_)
        files_->setDirectory(directory_);
    emit directoryChanged(directory_);
}

void DirectoryListBox::setFileList(FileListBox* files) {
    files_ = files;
    if (files_)
        files_->setDirectory(directory_);
}

QString DirectoryListBox::directoryAt(int row) const {
    return paths_.value(row);
}

void DirectoryListBox::fill() {
    clear();
    paths_.clear();
    // The chain from the root down to the directory, indented by depth.
    QStringList chain;
    for (QDir d(directory_);;) {
        chain.prepend(d.absolutePath());
        if (d.isRoot() || !d.cdUp())
            break;
    }
    int depth = 0;
    for (const QString& path : chain) {
        const QString label = QDir(path).isRoot() ? path : QDir(path).dirName();
        addItem(QString(depth * 2, QLatin1Char(' ')) + label);
        paths_.append(path);
        ++depth;
    }
    setCurrentRow(count() - 1);
    const QDir here(directory_);
    for (const QString& sub :
         here.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        addItem(QString(depth * 2, QLatin1Char(' ')) + sub);
        paths_.append(here.filePath(sub));
    }
}

} // namespace widgets
