#pragma once

// The start of the program, in its order: the application title, then the
// windows that live for the whole run, created hidden; the message loop then
// shows the main window. Shared by main() and the tests.
class Startup {
public:
    static void setApplicationTitle();
    static void createWindows();
    static void destroyWindows();
};
