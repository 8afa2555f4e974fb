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

    QString filter() const { return filter_; }
    void setFilter(const QString& filter) { filter_ = filter; }
    QString title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }
    QString fileName() const { return fileName_; }
    void setFileName(const QString& fileName) { fileName_ = fileName; }
    QString initialDir() const { return initialDir_; }
    void setInitialDir(const QString& dir) { initialDir_ = dir; }

    // True when a file was chosen; fileName() then holds it.
    bool execute();

private:
    QString filter_;
    QString title_;
    QString fileName_;
    QString initialDir_;
};

} // namespace widgets
