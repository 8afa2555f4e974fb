#pragma once

#include <QMenuBar>

namespace widgets {

class MenuItem;

// A window's menu bar. Menu items created with it as parent are its top-level
// items, in creation order; give it to the window with Form::setMenuBar.
class MainMenu : public QMenuBar {
    Q_OBJECT

public:
    MainMenu(QWidget* window, const QString& name);
};

} // namespace widgets
