#include "lang/ComponentKinds.h"

#include "lang/StandardKinds.h"
#include "lang/WordCursor.h"

#include <QMetaObject>
#include <QObject>

#include <algorithm>
#include <vector>

namespace lang {

namespace {
std::vector<ComponentKind>& registry() {
    static std::vector<ComponentKind> kinds;
    return kinds;
}

void ensureStandard() {
    static bool done = false;
    if (done)
        return;
    done = true;
    registerStandardKinds();
}
} // namespace

void ComponentKinds::add(const ComponentKind& kind) {
    ensureStandard();
    auto& kinds = registry();
    kinds.erase(std::remove_if(kinds.begin(), kinds.end(),
                               [&](const ComponentKind& k) { return k.name == kind.name; }),
                kinds.end());
    const auto at =
        std::upper_bound(kinds.begin(), kinds.end(), kind.order,
                         [](int order, const ComponentKind& k) { return order < k.order; });
    kinds.insert(at, kind);
}

const ComponentKind* ComponentKinds::find(const QObject* component) {
    ensureStandard();
    for (const ComponentKind& kind : registry()) {
        if (kind.matches(component))
            return &kind;
    }
    return nullptr;
}

QList<QString> ComponentKinds::names() {
    ensureStandard();
    QList<QString> all;
    for (const ComponentKind& kind : registry())
        all.append(kind.name);
    return all;
}

void applyListRule(WordCursor& cursor, int count,
                   const std::function<void(int, const QString&)>& set) {
    if (count <= 0 || !cursor.canTake())
        return;
    int k = 0;
    do {
        QString text;
        cursor.take(&text);
        set(k++, text);
    } while (k < count && cursor.atContinuation());
    for (; k < count; ++k)
        set(k, QString());
}

void applyPanelRule(WordCursor& cursor, int count,
                    const std::function<void(int, const QString&)>& set) {
    for (int k = 0; k < count && cursor.atContinuation(); ++k) {
        QString text;
        cursor.take(&text);
        set(k, text);
    }
}

void applyColumnRule(WordCursor& cursor, int count,
                     const std::function<void(int, const QString&)>& set) {
    if (!cursor.canTake())
        return;
    for (int k = 0; k < count; ++k) {
        QString text;
        cursor.take(&text);
        set(k, text);
        if (!cursor.atContinuation())
            break;
    }
}

void applyNavigatorRule(WordCursor& cursor, const std::function<void(const QStringList&)>& set) {
    if (!cursor.canTake())
        return;
    QStringList hints;
    do {
        QString text;
        cursor.take(&text); // nothing taken leaves the text empty
        hints.append(text);
    } while (cursor.atContinuation());
    set(hints);
}

bool publishes(const QObject* component, const char* property) {
    return component->metaObject()->indexOfProperty(property) >= 0;
}

} // namespace lang
