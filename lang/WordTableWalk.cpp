#include "lang/WordTableWalk.h"

#include "lang/ComponentKinds.h"
#include "lang/WordCursor.h"

#include "framework/widgets/Form.h"

#include <exception>

namespace lang {

namespace {

// The hint step, run for every kind: a component with a published Hint passes
// its own entry over when its kind took nothing, then takes a following hint
// entry; only a non-empty hint is set.
void applyHint(WordCursor& cursor, QObject* component) {
    if (!publishes(component, "Hint"))
        return;
    if (!cursor.tookAny())
        cursor.take();
    QString text;
    if (cursor.atHint() && cursor.take(&text) && !text.isEmpty())
        component->setProperty("Hint", text);
}

void applyComponent(WordCursor& cursor, QObject* component) {
    cursor.beginComponent();
    if (const ComponentKind* kind = ComponentKinds::find(component))
        kind->apply(cursor, component);
    applyHint(cursor, component);
    // A component that took nothing still moves the walk on.
    if (!cursor.tookAny())
        cursor.passOver();
}

} // namespace

void applyWordTable(const QStringList& words, const WalkSettings& settings, widgets::Form& window) {
    WordCursor cursor(words, settings.languages, settings.active, settings.defaultLanguage,
                      settings.defaultEnabled);
    try {
        while (!cursor.atEnd()) {
            const QString key = cursor.key();
            if (key == WordCursor::formKey ||
                (!window.objectName().isEmpty() && key == window.objectName())) {
                window.setCaption(cursor.effectiveText(cursor.position()));
                cursor.passOver();
            } else if (QObject* component = window.findComponent(key)) {
                applyComponent(cursor, component);
            } else {
                cursor.passOver();
            }
        }
    } catch (const std::exception&) {
        // A failing entry ends the walk; the texts set so far stay.
    }
}

} // namespace lang
