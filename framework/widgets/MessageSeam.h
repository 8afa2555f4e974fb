#pragma once

#include "framework/widgets/MessageDlg.h"

#include <QList>
#include <QString>

namespace widgets {

// Test seam of the standard message box. A test queues the answers of the next
// boxes; every box shown is recorded (text, icon, title, buttons, answer) so
// the language and wording of each message can be checked. In strict mode a
// box that finds no queued answer reports a test failure at once and returns
// without waiting, so a test never hangs on an unexpected message.
class MessageSeam {
public:
    struct Shown {
        QString text; // as passed by the caller, carriage returns included
        MsgDlgType type = mtCustom;
        QString title;
        MsgDlgButtons buttons = 0;
        int answer = mrNone;
    };

    static void pushAnswer(int result);
    static void setStrict(bool strict);
    static bool strict();
    static int pending();
    // Forgets queued answers and the record, and leaves strict mode.
    static void clear();

    static int shownCount();
    static Shown last(); // an empty record when no box was shown
    static QList<Shown> history();

    // Used by MessageDlg: records the box; returns true with the answer when
    // the seam answers it, false when the real box must be shown.
    static bool answer(const Shown& box, int& result);
    static void record(const Shown& box);
};

} // namespace widgets
