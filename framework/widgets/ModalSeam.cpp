#include "framework/widgets/ModalSeam.h"

#include <deque>

namespace widgets {

namespace {
struct State {
    std::deque<ModalSeam::Action> queue;
    bool strict = false;
    int graceMs = 1000;
};
State& state() {
    static State s;
    return s;
}
} // namespace

void ModalSeam::push(Action action) {
    state().queue.push_back(std::move(action));
}

void ModalSeam::setStrict(bool strict) {
    state().strict = strict;
}

bool ModalSeam::strict() {
    return state().strict;
}

int ModalSeam::pending() {
    return static_cast<int>(state().queue.size());
}

void ModalSeam::clear() {
    state().queue.clear();
    state().strict = false;
}

int ModalSeam::graceMs() {
    return state().graceMs;
}

void ModalSeam::setGraceMs(int ms) {
    state().graceMs = ms;
}

ModalSeam::Action ModalSeam::takeNext() {
    if (state().queue.empty())
        return {};
    Action next = std::move(state().queue.front());
    state().queue.pop_front();
    return next;
}

} // namespace widgets
