#pragma once

#include <QRect>
#include <QSize>

namespace widgets {

// Test seam for the size of the screen the windows are placed on. The real
// screen is the default; a test installs a fixed size to check placement
// rules for a given screen height.
class Screen {
public:
    virtual ~Screen() = default;
    virtual QSize size() const = 0;
    // The part of the screen windows may use: the whole screen unless a
    // panel or dock of the desktop keeps a strip of it.
    virtual QRect availableGeometry() const { return QRect(QPoint(0, 0), size()); }

    static const Screen& current();
    // Installs `screen` (not owned); nullptr restores the real screen.
    static void install(const Screen* screen);
};

// A screen of a fixed size, for tests.
class FixedScreen : public Screen {
public:
    explicit FixedScreen(QSize size) : m_size(size) {}
    QSize size() const override { return m_size; }

private:
    QSize m_size;
};

} // namespace widgets
