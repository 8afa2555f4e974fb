#pragma once

#include <QRect>

class QWidget;

namespace widgets {

// Docking of a control inside its container, the way the windows are laid out:
// controls docked at the top stack downwards from the top edge, bottom ones
// upwards from the bottom edge, left and right ones inwards from the sides, and
// the one docked as client fills what is left. Undocked controls keep the
// geometry they were given.
enum class Align { None, Top, Bottom, Left, Right, Client };

// Docks `control` in its parent widget and lays the parent out again at once.
void setAlign(QWidget* control, Align align);
Align alignOf(const QWidget* control);

// Lays out every visible docked child of `container` inside `client`.
// Controls with the same docking are taken in the order of their position
// (a left-docked control further left comes first), then of creation.
void realignChildren(QWidget* container, const QRect& client);

// The rectangle a container offers to its docked children: its own rectangle,
// less what the container reserves (a window's menu bar).
QRect clientRectOf(const QWidget* container);

// Keeps the top `pixels` of `container` out of its docked layout (a window's
// menu bar lives there).
void reserveTop(QWidget* container, int pixels);

// Keeps a border of `pixels` on every side of `container` out of its docked
// layout (a panel's bevels).
void setContentInset(QWidget* container, int pixels);

// Lays `container` out again (no effect on a widget without docked children).
void realign(QWidget* container);

} // namespace widgets
