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
    if (!QDir(clean).exists() || clean == m_directory)
        return;
    m_directory = clean;
    fill();
    if (m_files)
        m_files->setDirectory(m_directory);
    emit directoryChanged(m_directory);
}

void DirectoryListBox::setFileList(FileListBox* files) {
    m_files = files;
    if (m_files)
        m_files->setDirectory(m_directory);
}

QString DirectoryListBox::directoryAt(int row) const {
    return m_paths.value(row);
}

void DirectoryListBox::fill() {
    clear();
    m_paths.clear();
    // The chain from the root down to the directory, indented by depth.
    QStringList chain;
    for (QDir d(m_directory);;) {
        chain.prepend(d.absolutePath());
        if (d.isRoot() || !d.cdUp())
            break;
    }
    int depth = 0;
    for (const QString& path : chain) {
        const QString label = QDir(path).isRoot() ? path : QDir(path).dirName();
        addItem(QString(depth * 2, QLatin1Char(' ')) + label);
        m_paths.append(path);
        ++depth;
    }
    setCurrentRow(count() - 1);
    const QDir here(m_directory);
    for (const QString& sub :
         here.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        addItem(QString(depth * 2, QLatin1Char(' ')) + sub);
        m_paths.append(here.filePath(sub));
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
    return m_sinceLastLetter.isValid() &&
           m_sinceLastLetter.elapsed() <= QApplication::keyboardInputInterval();
}

// The lines are indented with blanks to show the depth, which the view's own
// search would compare too: names are matched without them.
void DirectoryListBox::keyboardSearch(const QString& search) {
    if (search.isEmpty() || count() == 0)
        return;
    if (!typingAhead())
        m_typed.clear();
    m_sinceLastLetter.start();
    // A new search starts after the current line, so that typing the same
    // letter again steps through the names that start with it.
    const bool sameSearch = !m_typed.isEmpty();
    m_typed += search;
    const int start = qMax(0, currentRow()) + (sameSearch ? 0 : 1);
    for (int step = 0; step < count(); ++step) {
        const int row = (start + step) % count();
        if (item(row)->text().trimmed().startsWith(m_typed, Qt::CaseInsensitive)) {
            setCurrentRow(row);
            return;
        }
    }
}

} // namespace widgets
