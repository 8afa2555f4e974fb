#include "framework/widgets/Splitter.h"

#include "framework/widgets/Align.h"
#include "framework/widgets/Component.h"

#include <QMouseEvent>

namespace widgets {

Splitter::Splitter(QWidget* parent, const QString& name) : QWidget(parent) {
    adopt(this, name, parent);
    resize(3, height());
    setCursor(Qt::SplitHCursor);
}

bool Splitter::vertical() const {
    const Align a = alignOf(this);
    return a == Align::Top || a == Align::Bottom;
}

QWidget* Splitter::controlBefore() const {
    if (!parentWidget())
        return nullptr;
    const Align a = alignOf(this);
    for (QObject* o : parentWidget()->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w == this || w->isHidden() || alignOf(w) != a)
            continue;
        const QRect g = w->geometry();
        const QRect me = geometry();
        const bool touches = (a == Align::Left && g.right() + 1 == me.left()) ||
                             (a == Align::Right && g.left() == me.right() + 1) ||
                             (a == Align::Top && g.bottom() + 1 == me.top()) ||
                             (a == Align::Bottom && g.top() == me.bottom() + 1);
        if (touches)
            return w;
    }
    return nullptr;
}

void Splitter::mousePressEvent(QMouseEvent* event) {
    QWidget* control = controlBefore();
    if (event->button() != Qt::LeftButton || !control)
        return;
    m_dragging = true;
    const QPoint global = event->globalPosition().toPoint();
    m_pressPos = vertical() ? global.y() : global.x();
    m_startSize = vertical() ? control->height() : control->width();
    m_maxSize = m_startSize + roomAfter();
}

// How far the control before may grow: the control filling the rest keeps at
// least the smallest size, so that dragging never hides it.
int Splitter::roomAfter() const {
    if (!parentWidget())
        return 0;
    for (QObject* o : parentWidget()->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isHidden() || alignOf(w) != Align::Client)
            continue;
        return std::max(0, (vertical() ? w->height() : w->width()) - m_minSize);
    }
    return 1 << 20; // nothing fills the rest: only the window's edge stops the drag
}

void Splitter::mouseMoveEvent(QMouseEvent* event) {
    QWidget* control = controlBefore();
    if (!m_dragging || !control)
        return;
    const QPoint global = event->globalPosition().toPoint();
    int delta = (vertical() ? global.y() : global.x()) - m_pressPos;
    const Align a = alignOf(this);
    if (a == Align::Right || a == Align::Bottom)
        delta = -delta;
    const int size = std::max(m_minSize, std::min(m_maxSize, m_startSize + delta));
    if (vertical())
        control->resize(control->width(), size);
    else
        control->resize(size, control->height());
}

void Splitter::mouseReleaseEvent(QMouseEvent*) {
    m_dragging = false;
}

} // namespace widgets
