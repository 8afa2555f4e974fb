#pragma once

#include <QString>

namespace store {

// What the dictionary store needs of the main window: its caption, its word
// table and the text being typed in its grids. A store without a window (the
// command-line tools) uses this class as it is: nothing to show or hold. The
// store tells its state changes by a signal and returns its refusals.
class StoreHost {
public:
    virtual ~StoreHost() = default;

    virtual void setCaption(const QString& /*caption*/) {}
    // Repaints the window at once (the caption shows before a long operation).
    virtual void repaintNow() {}
    // The text of a message key in the main window's word table, in its
    // active language.
    virtual QString GetWord(const QString& /*key*/) { return {}; }
    // True while the window holds text being typed that the views have not
    // received yet (a cell's editor open): reading the views again would
    // throw it away. No window, nothing held.
    virtual bool holdsTypedText() const { return false; }
};

} // namespace store
