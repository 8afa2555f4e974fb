#pragma once

#include <QString>

namespace store {

// What the New command's creation of a dictionary did: created, or refused
// (no name, or a dictionary of that name already there) with the text the
// window shows in its warning box.
struct DicoCreation {
    bool created = false;
    QString refusal;

    explicit operator bool() const { return created; }
};

} // namespace store
