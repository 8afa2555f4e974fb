#include "framework/widgets/MessageSeam.h"

#include "framework/widgets/TestFailure.h"

#include <deque>

namespace widgets {

namespace {
struct State {
    std::deque<int> answers;
    QList<MessageSeam::Shown> history;
    bool strict = false;
};
State& state() {
    static State s;
    return s;
}

bool offersResult(MsgDlgButtons buttons, int result) {
    for (MsgDlgBtn b : {mbYes, mbNo, mbOK, mbCancel}) {
        if ((buttons & b) && resultOf(b) == result)
            return true;
    }
    return false;
}
} // namespace

void MessageSeam::pushAnswer(int result) {
    state().answers.push_back(result);
}

void MessageSeam::setStrict(bool strict) {
    state().strict = strict;
}

bool MessageSeam::strict() {
    return state().strict;
}

int MessageSeam::pending() {
    return static_cast<int>(state().answers.size());
}

void MessageSeam::clear() {
    state() = State{};
}

int MessageSeam::shownCount() {
    return static_cast<int>(state().history.size());
}

MessageSeam::Shown MessageSeam::last() {
    return state().history.isEmpty() ? Shown{} : state().history.last();
}

QList<MessageSeam::Shown> MessageSeam::history() {
    return state().history;
}

void MessageSeam::record(const Shown& box) {
    state().history.append(box);
}

bool MessageSeam::answer(const Shown& box, int& result) {
    Shown shown = box;
    if (state().answers.empty()) {
        if (!state().strict)
            return false;
        shown.answer = mrCancel;
        record(shown);
        TestFailure::report(QStringLiteral("Boîte de message inattendue : %1").arg(box.text));
        result = mrCancel;
        return true;
    }
    result = state().answers.front();
    state().answers.pop_front();
    shown.answer = result;
    record(shown);
    if (!offersResult(box.buttons, result))
        TestFailure::report(
            QStringLiteral("Réponse %1 absente des boutons de : %2").arg(result).arg(box.text));
    return true;
}

} // namespace widgets
