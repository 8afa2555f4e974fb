#pragma once

#include <QRect>

class QWidget;

namespace widgets {

// The placement rules of the windows speak of a window's outer edges, title
// bar and border included, which is what the user sees side by side on the
// screen; a Qt window's size leaves its frame out. These helpers give the
// outer rectangle and place a window by it.

// A window that has never been shown has no frame yet: it is counted with
// the frame of `reference`, a window of the same program that the window
// manager decorates the same way.

// Where `window` is on the screen, frame included.
QRect outerRect(const QWidget* window, const QWidget* reference = nullptr);

// Moves and sizes `window` so that its outer rectangle is `outer`.
void setOuterRect(QWidget* window, const QRect& outer, const QWidget* reference = nullptr);

// `outer` moved, then shortened if it must be, so that it lies within `area`.
QRect keptWithin(const QRect& outer, const QRect& area);

} // namespace widgets
