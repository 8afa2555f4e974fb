#include "framework/widgets/MainMenu.h"

#include "framework/widgets/Component.h"

namespace widgets {

MainMenu::MainMenu(QWidget* window, const QString& name) : QMenuBar(window) {
    adopt(this, name, window);
    // The bar is drawn inside the window on every platform, so that the
    // window's layout and tests see it the same way.
    setNativeMenuBar(false);
}

} // namespace widgets
