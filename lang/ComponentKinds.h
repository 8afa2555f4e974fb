#pragma once

#include <QList>
#include <QString>

#include <functional>

class QObject;

namespace lang {

class WordCursor;

// How a word table sets the texts of one kind of component. The kinds are
// tried in ascending order; the first that matches a component (by its class
// or a base class) applies the component's entries. A kind that matches every
// component closes the list: it sets a published Caption, then a published
// Text, so new component classes that publish those properties need no kind
// of their own. Others (report items, for example) add a kind with add().
struct ComponentKind {
    int order = 0;
    QString name;
    std::function<bool(const QObject*)> matches;
    std::function<void(WordCursor&, QObject*)> apply;
};

class ComponentKinds {
public:
    // Adds a kind, or replaces the kind with the same name.
    static void add(const ComponentKind& kind);
    // The first kind, in order, that matches `component`.
    static const ComponentKind* find(const QObject* component);
    static QList<QString> names();
};

// The rules the kinds share; `set` receives each item index and its text.

// Item 0 from the component's own entry, each following continuation entry
// the next item; the items beyond the last entry become empty. Applies only
// to a non-empty list whose own entry can be taken; the count never changes.
void applyListRule(WordCursor& cursor, int count,
                   const std::function<void(int, const QString&)>& set);
// After the own entry: each following continuation entry gives the next
// panel's text; panels without an entry keep theirs.
void applyPanelRule(WordCursor& cursor, int count,
                    const std::function<void(int, const QString&)>& set);
// The own entry gives column 0's title, each continuation entry the next.
void applyColumnRule(WordCursor& cursor, int count,
                     const std::function<void(int, const QString&)>& set);
// A new hint list from the own entry and the continuation entries after it.
void applyNavigatorRule(WordCursor& cursor, const std::function<void(const QStringList&)>& set);

// Published properties, as the generic kind and the hint step see them.
bool publishes(const QObject* component, const char* property);

} // namespace lang
