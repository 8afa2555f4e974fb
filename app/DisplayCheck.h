#pragma once

#include <string>

// Whether the window can be shown at all. Without a display Qt's platform
// plugin aborts with a long message about plugins; the program says instead,
// in one line, what is missing and how to get it.
class DisplayCheck {
public:
    // True when DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM is set.
    static bool displayAvailable();
    static std::string noDisplayMessage();
};
