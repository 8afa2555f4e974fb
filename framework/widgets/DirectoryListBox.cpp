#include "framework/widgets/DirectoryListBox.h"

#include "framework/widgets/Component.h"
#include "framework/widgets/FileListBox.h"
#include "framework/widgets/FocusFrameDelegate.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>

namespace widgets {

DirectoryListBox::DirectoryListBox(QWidget* parent, const QString& name) : QListWidget(parent) {
    adopt(this, name, parent);
    setItemDelegate(new FocusFrameDelegate(this));
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

void DirectoryListBox::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool opens =
        key == Qt::Key_Return || key == Qt::Key_Enter || (key == Qt::Key_Space && !typingAhead());
    if (opens && currentRow() >= 0) {
        event->accept();
        setDirectory(directoryAt(currentRow()));
        return;
    }
    QListWidget::keyPressEvent(event);
}

bool DirectoryListBox::typingAhead() const {
    return sinceLastLetter_.isValid() &&
           sinceLastLetter_.elapsed() <= QApplication::keyboardInputInterval();
}

// The lines are indented with blanks to show the depth, which the view's own
// search would compare too: names are matched without them.
void DirectoryListBox::keyboardSearch(const QString& search) {
    if (search.isEmpty() || count() == 0)
        return;
    if (!typingAhead())
        typed_.clear();
    sinceLastLetter_.start();
    // A new search starts after the current line, so that typing the same
    // letter again steps through the names that start with it.
    const bool sameSearch = !typed_.isEmpty();
    typed_ += search;
    const int start = qMax(0, currentRow()) + (sameSearch ? 0 : 1);
    for (int step = 0; step < count(); ++step) {
        const int row = (start + step) % count();
        if (item(row)->text().trimmed().startsWith(typed_, Qt::CaseInsensitive)) {
            setCurrentRow(row);
            return;
        }
    }
}

} // namespace widgets
