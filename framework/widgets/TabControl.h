#pragma once

#include <QStringList>
#include <QTabBar>

namespace widgets {

// A row of tabs, one per text.
class TabControl : public QTabBar {
    Q_OBJECT
    Q_PROPERTY(QStringList Tabs READ tabs WRITE setTabs)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    TabControl(QWidget* parent, const QString& name);

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    QStringList tabs() const;
    void setTabs(const QStringList& tabs);
};

} // namespace widgets
