#include "app/DisplayCheck.h"

#include <cstdlib>

namespace {
bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}
} // namespace

bool DisplayCheck::displayAvailable() {
    return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM");
}

std::string DisplayCheck::noDisplayMessage() {
    return "korvanta: no display (DISPLAY and WAYLAND_DISPLAY are unset): start it from a "
           "desktop session, or run scripts/run.sh, which serves the window over VNC on "
           "127.0.0.1:5900\n";
}
