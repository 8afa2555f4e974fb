#pragma once

#include <QStringList>

namespace widgets {
class Form;
}

namespace lang {

// What one application of a word table reads.
struct WalkSettings {
    int languages = 2;
    int active = 0;
    int defaultLanguage = 0;
    bool defaultEnabled = false;
};

// Applies `words` to `window`: the caption entries (key "%Form%" or the
// window's own name), then, for every key naming a component the window owns
// (letter case ignored), that component's entries by its kind, its hint entry
// and continuation entries. Keys that name nothing are skipped. An error while
// one entry is applied ends the walk silently; what was set stays.
void applyWordTable(const QStringList& words, const WalkSettings& settings, widgets::Form& window);

} // namespace lang
