#pragma once

#include <QObject>
#include <QString>

namespace widgets {

// The save-file dialog component: not visible in its window; execute() asks
// for a file through the file-dialog seam.
class SaveDialog : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Filter READ filter WRITE setFilter)
    Q_PROPERTY(QString Title READ title WRITE setTitle)

public:
    SaveDialog(QObject* owner, const QString& name);

    QString filter() const { return m_filter; }
    void setFilter(const QString& filter) { m_filter = filter; }
    QString title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    QString fileName() const { return m_fileName; }
    void setFileName(const QString& fileName) { m_fileName = fileName; }
    QString initialDir() const { return m_initialDir; }
    void setInitialDir(const QString& dir) { m_initialDir = dir; }

    // True when a file was chosen; fileName() then holds it.
    bool execute();

private:
    QString m_filter;
    QString m_title;
    QString m_fileName;
    QString m_initialDir;
};

} // namespace widgets
