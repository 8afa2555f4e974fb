#pragma once

#include <QString>

namespace store {

// What the dictionary store and capture need of the main window. The window
// implements it; the command-line tool and tests have headless versions, so
// the store runs without any window.
class StoreHost {
public:
    virtual ~StoreHost() = default;

    // Enables the commands by the dictionary state.
    virtual void UpdateCommands() = 0;
    virtual void setCaption(const QString& caption) = 0;
    // Repaints the window at once (the caption shows before a long operation).
    virtual void repaintNow() = 0;
    // The text of a message key in the main window's word table, in its
    // active language.
    virtual QString GetWord(const QString& key) = 0;
    // A refusal: the window shows it in a warning box with one OK button; the
    // store itself stays free of any window code.
    virtual void showWarning(const QString& text) = 0;
    // True while the window holds text being typed that the views have not
    // received yet (a cell's editor open): reading the views again would
    // throw it away. No window, nothing held.
    virtual bool holdsTypedText() const { return false; }
};

} // namespace store
