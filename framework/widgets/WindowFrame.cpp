#include "framework/widgets/WindowFrame.h"

#include <QMargins>
#include <QWidget>

namespace widgets {

namespace {

QMargins frameOf(const QWidget* window) {
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

QMargins frameOf(const QWidget* window, const QWidget* reference) {
    const QMargins own = frameOf(window);
    return own.isNull() && reference ? frameOf(reference) : own;
}

} // namespace

QRect outerRect(const QWidget* window, const QWidget* reference) {
    return window->geometry() + frameOf(window, reference);
}

void setOuterRect(QWidget* window, const QRect& outer, const QWidget* reference) {
    const QMargins frame = frameOf(window, reference);
    window->move(outer.topLeft());
    window->resize(outer.width() - frame.left() - frame.right(),
                   outer.height() - frame.top() - frame.bottom());
}

QRect keptWithin(const QRect& outer, const QRect& area) {
    QRect kept(outer.topLeft(), outer.size().boundedTo(area.size()));
    kept.moveLeft(qBound(area.left(), kept.left(), area.right() + 1 - kept.width()));
    kept.moveTop(qBound(area.top(), kept.top(), area.bottom() + 1 - kept.height()));
    return kept;
}

} // namespace widgets
