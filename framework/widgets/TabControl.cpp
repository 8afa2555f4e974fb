#include "framework/widgets/TabControl.h"

#include "framework/widgets/Component.h"

namespace widgets {

TabControl::TabControl(QWidget* parent, const QString& name) : QTabBar(parent) {
    adopt(this, name, parent);
}

QStringList TabControl::tabs() const {
    QStringList all;
    for (int k = 0; k < count(); ++k)
        all.append(tabText(k));
    return all;
}

void TabControl::setTabs(const QStringList& tabs) {
    while (count() > 0)
        removeTab(0);
    for (const QString& t : tabs)
        addTab(t);
}

} // namespace widgets
