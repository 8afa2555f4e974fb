#include "framework/widgets/FileListBox.h"

#include "framework/widgets/Component.h"
#include "framework/widgets/FocusFrameDelegate.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMetaMethod>

namespace widgets {

FileListBox::FileListBox(QWidget* parent, const QString& name) : QListWidget(parent) {
    adopt(this, name, parent);
    setItemDelegate(new FocusFrameDelegate(this));
    m_directory = QDir::currentPath();
    refresh();
}

void FileListBox::setDirectory(const QString& directory) {
    const QString clean = QDir::cleanPath(QDir(directory).absolutePath());
    if (clean == m_directory)
        return;
    m_directory = clean;
    refresh();
    emit directoryChanged(m_directory);
}

void FileListBox::setMask(const QString& mask) {
    m_mask = mask;
    refresh();
}

void FileListBox::setMultiSelect(bool multi) {
    setSelectionMode(multi ? QAbstractItemView::ExtendedSelection
                           : QAbstractItemView::SingleSelection);
}

bool FileListBox::multiSelect() const {
    return selectionMode() == QAbstractItemView::ExtendedSelection;
}

void FileListBox::refresh() {
    clear();
    QStringList patterns;
    for (const QString& p : m_mask.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        patterns.append(p.trimmed() == QStringLiteral("*.*") ? QStringLiteral("*") : p.trimmed());
    // Without QDir::CaseSensitive the name filters ignore letter case.
    const QDir dir(m_directory);
    addItems(dir.entryList(patterns, QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase));
}

QStringList FileListBox::fileNames() const {
    QStringList names;
    for (int k = 0; k < count(); ++k)
        names.append(item(k)->text());
    return names;
}

int FileListBox::selCount() const {
    return static_cast<int>(selectedItems().size());
}

QString FileListBox::fileName() const {
    const QListWidgetItem* focused = currentItem();
    if (!focused || !focused->isSelected())
        return {};
    return QDir(m_directory).filePath(focused->text());
}

bool FileListBox::selectFile(const QString& name) {
    const QString bare = QFileInfo(name).fileName();
    for (int k = 0; k < count(); ++k) {
        if (item(k)->text().compare(bare, Qt::CaseInsensitive) == 0) {
            setCurrentRow(k, QItemSelectionModel::Select);
            return true;
        }
    }
    return false;
}

void FileListBox::keyPressEvent(QKeyEvent* event) {
    // Unless the list has a command of its own, Enter goes on to the window
    // (its default button).
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && isSignalConnected(QMetaMethod::fromSignal(&FileListBox::commandGiven))) {
        event->accept();
        // Enter acts on the file the keyboard is on, as a click on it would.
        if (QListWidgetItem* focused = currentItem(); focused && !focused->isSelected())
            focused->setSelected(true);
        emit commandGiven();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void FileListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit commandGiven();
}

} // namespace widgets
