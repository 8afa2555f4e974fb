#pragma once

#include <QString>

#include <functional>

namespace widgets {

class Form;

// Test seam for modal windows. A test queues what the user would do in the
// next modal window (fill an edit, click OK); the window runs it as soon as it
// is shown (an action may also close the window later, from a timer). In
// strict mode a modal window that finds no queued action reports
// a test failure at once and closes with mrCancel instead of waiting for a
// user who is not there. Without a queued action and outside strict mode the
// window runs modally for real.
class ModalSeam {
public:
    using Action = std::function<void(Form& window)>;

    static void push(Action action);
    static void setStrict(bool strict);
    static bool strict();
    static int pending();
    static void clear(); // drops queued actions and leaves strict mode

    // How long a window that an action left open may stay open before the
    // seam reports it and closes the window with mrCancel.
    static int graceMs();
    static void setGraceMs(int ms);

    // Used by Form::showModal: the action for `window`, or an empty action.
    static Action takeNext();
};

} // namespace widgets
