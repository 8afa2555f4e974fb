#include "framework/widgets/Align.h"

#include <QEvent>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace widgets {

namespace {

constexpr const char* kAlignProperty = "kvAlign";
constexpr const char* kReserveProperty = "kvReservedTop";
constexpr const char* kInsetProperty = "kvInset";
constexpr const char* kRealigningProperty = "kvRealigning";

// Watches docked controls so that showing, hiding or resizing one of them
// re-lays its container out, as a docked layout does by itself.
class AlignWatcher : public QObject {
public:
    static AlignWatcher* instance() {
        static AlignWatcher watcher;
        return &watcher;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
        case QEvent::Resize:
            if (auto* w = qobject_cast<QWidget*>(watched); w && w->parentWidget())
                realign(w->parentWidget());
            break;
        default:
            break;
        }
        return false;
    }
};

struct Docked {
    QWidget* widget;
    Align align;
    int order; // creation order among the container's children
};

int positionKey(const Docked& d) {
    const QRect g = d.widget->geometry();
    switch (d.align) {
    case Align::Top:
        return g.top();
    case Align::Bottom:
        return -g.bottom();
    case Align::Left:
        return g.left();
    case Align::Right:
        return -g.right();
    default:
        return 0;
    }
}

std::vector<Docked> dockedChildren(QWidget* container) {
    std::vector<Docked> result;
    int order = 0;
    for (QObject* child : container->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow())
            continue;
        ++order;
        const Align a = alignOf(w);
        if (a != Align::None && !w->isHidden())
            result.push_back({w, a, order});
    }
    return result;
}

void placeGroup(std::vector<Docked> group, QRect& free) {
    std::stable_sort(group.begin(), group.end(), [](const Docked& a, const Docked& b) {
        return positionKey(a) < positionKey(b);
    });
    for (const Docked& d : group) {
        QWidget* w = d.widget;
        switch (d.align) {
        case Align::Top:
            w->setGeometry(free.left(), free.top(), free.width(), w->height());
            free.setTop(free.top() + w->height());
            break;
        case Align::Bottom:
            w->setGeometry(free.left(), free.bottom() + 1 - w->height(), free.width(), w->height());
            free.setBottom(free.bottom() - w->height());
            break;
        case Align::Left:
            w->setGeometry(free.left(), free.top(), w->width(), free.height());
            free.setLeft(free.left() + w->width());
            break;
        case Align::Right:
            w->setGeometry(free.right() + 1 - w->width(), free.top(), w->width(), free.height());
            free.setRight(free.right() - w->width());
            break;
        case Align::Client:
            w->setGeometry(free);
            break;
        case Align::None:
            break;
        }
    }
}

} // namespace

void setAlign(QWidget* control, Align align) {
    control->setProperty(kAlignProperty, static_cast<int>(align));
    control->removeEventFilter(AlignWatcher::instance());
    if (align != Align::None)
        control->installEventFilter(AlignWatcher::instance());
    if (control->parentWidget())
        realign(control->parentWidget());
}

Align alignOf(const QWidget* control) {
    const QVariant v = control->property(kAlignProperty);
    return v.isValid() ? static_cast<Align>(v.toInt()) : Align::None;
}

void realignChildren(QWidget* container, const QRect& client) {
    // Resizing a docked child re-enters through the watcher; one pass is enough.
    if (container->property(kRealigningProperty).toBool())
        return;
    container->setProperty(kRealigningProperty, true);
    const std::vector<Docked> docked = dockedChildren(container);
    QRect free = client;
    // Top and bottom take the full width first, then left and right share
    // what height remains, and the client control takes the rest.
    for (Align a : {Align::Top, Align::Bottom, Align::Left, Align::Right, Align::Client}) {
        std::vector<Docked> group;
        std::copy_if(docked.begin(), docked.end(), std::back_inserter(group),
                     [a](const Docked& d) { return d.align == a; });
        placeGroup(std::move(group), free);
    }
    container->setProperty(kRealigningProperty, false);
}

QRect clientRectOf(const QWidget* container) {
    const int inset = container->property(kInsetProperty).toInt();
    QRect r = container->rect().adjusted(inset, inset, -inset, -inset);
    r.setTop(r.top() + container->property(kReserveProperty).toInt());
    return r;
}

void setContentInset(QWidget* container, int pixels) {
    container->setProperty(kInsetProperty, pixels);
    realign(container);
}

void reserveTop(QWidget* container, int pixels) {
    container->setProperty(kReserveProperty, pixels);
    realign(container);
}

void realign(QWidget* container) {
    realignChildren(container, clientRectOf(container));
}

} // namespace widgets
