#pragma once

#include <QAction>

class QMenu;

namespace widgets {

class MainMenu;

// An item of a menu. Created with a MainMenu as parent it is an item of the
// menu bar; created with another MenuItem as parent it is an item of that
// item's submenu (which appears with its first item). A caption of "-" makes
// the item a separator line; "&" marks the access key.
//
// Unlike a plain checkable action, clicking an item never changes its check
// mark: only program code does, as the windows' handlers expect.
class MenuItem : public QAction {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    MenuItem(QObject* parent, const QString& name, const QString& caption = {});
    ~MenuItem() override;

    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);
    QString hint() const { return statusTip(); }
    void setHint(const QString& hint) { setStatusTip(hint); }

    bool isChecked() const { return m_checked; }
    void setChecked(bool checked);

    QMenu* submenu() const { return m_submenu; }

private:
    void addChild(MenuItem* child);

    QString m_caption;
    QMenu* m_submenu = nullptr;
    bool m_checked = false;
    bool m_settingCheck = false;
};

} // namespace widgets
