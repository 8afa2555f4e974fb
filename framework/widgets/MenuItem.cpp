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
        if (!settingCheck_ && on != checked_) {
            settingCheck_ = true;
            QAction::setChecked(checked_);
            settingCheck_ = false;
        }
    });
}

MenuItem::~MenuItem() {
    delete submenu_;
}

void MenuItem::setCaption(const QString& caption) {
    caption_ = caption;
    const bool separator = caption == QStringLiteral("-");
    // A separator keeps "-" as its caption but shows no text: menu styles
    // draw a separator's text beside its line.
    setText(separator ? QString() : caption);
    setSeparator(separator);
}

void MenuItem::setChecked(bool checked) {
    checked_ = checked;
    settingCheck_ = true;
    setCheckable(true);
    QAction::setChecked(checked);
    settingCheck_ = false;
}

void MenuItem::addChild(MenuItem* child) {
    if (!submenu_) {
        submenu_ = new QMenu();
        setMenu(submenu_);
    }
    submenu_->addAction(child);
}

} // namespace widgets
