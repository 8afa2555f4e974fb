#include "framework/widgets/MenuItem.h"

#include "framework/widgets/Component.h"
#include "framework/widgets/MainMenu.h"

#include <QMenu>

namespace widgets {

MenuItem::MenuItem(QObject* parent, const QString& name, const QString& caption) : QAction(parent) {
    adopt(this, name, parent);
    setCaption(caption);
    if (auto* bar = qobject_cast<MainMenu*>(parent))
        bar->addAction(this);
    else if (auto* item = qobject_cast<MenuItem*>(parent))
        item->addChild(this);
    // A checkable action flips itself when triggered; put the mark back.
    connect(this, &QAction::toggled, this, [this](bool on) {
        if (!m_settingCheck && on != m_checked) {
            m_settingCheck = true;
            QAction::setChecked(m_checked);
            m_settingCheck = false;
        }
    });
}

MenuItem::~MenuItem() {
    delete m_submenu;
}

void MenuItem::setCaption(const QString& caption) {
    m_caption = caption;
    const bool separator = caption == QStringLiteral("-");
    // A separator keeps "-" as its caption but shows no text: menu styles
    // draw a separator's text beside its line.
    setText(separator ? QString() : caption);
    setSeparator(separator);
}

void MenuItem::setChecked(bool checked) {
    m_checked = checked;
    m_settingCheck = true;
    setCheckable(true);
    QAction::setChecked(checked);
    m_settingCheck = false;
}

void MenuItem::addChild(MenuItem* child) {
    if (!m_submenu) {
        m_submenu = new QMenu();
        setMenu(m_submenu);
    }
    m_submenu->addAction(child);
}

} // namespace widgets
