#pragma once
// A text shown to the user, in English and in French. The command line follows
// the locale as other tools do: French when LC_ALL, LC_MESSAGES or LANG (the first
// one set) names a French locale, English otherwise.

#include <initializer_list>
#include <string>

namespace cli {

struct Message {
    const char* english;
    const char* french;

    // The text in the language the environment asks for.
    const char* text() const;
    // The text with %1, %2... replaced by `values`, in order.
    std::string with(std::initializer_list<std::string> values) const;
    // Whether the environment asks for French; read once per process.
    static bool inFrench();
};

} // namespace cli
