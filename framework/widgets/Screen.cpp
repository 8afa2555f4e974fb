#include "framework/widgets/Screen.h"

#include <QGuiApplication>
#include <QScreen>

namespace widgets {

namespace {

class RealScreen : public Screen {
public:
    QSize size() const override {
        const QScreen* primary = QGuiApplication::primaryScreen();
        return primary ? primary->geometry().size() : QSize(1024, 768);
    }
    QRect availableGeometry() const override {
        const QScreen* primary = QGuiApplication::primaryScreen();
        return primary ? primary->availableGeometry() : Screen::availableGeometry();
    }
};

const Screen*& installed() {
    static const Screen* screen = nullptr;
    return screen;
}

} // namespace

const Screen& Screen::current() {
    static const RealScreen real;
    return installed() ? *installed() : real;
}

void Screen::install(const Screen* screen) {
    installed() = screen;
}

} // namespace widgets
