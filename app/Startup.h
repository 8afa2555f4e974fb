#pragma once

// The start of the program, in its order: the application title, then the
// windows that live for the whole run, created hidden; the message loop then
// shows the main window. Shared by main() and the tests.
class Startup {
public:
    static void setApplicationTitle();
    // The program's own icon on every window.
    static void setProgramIcon();
    // Lets the windows' Arial text use a face with the same widths where
    // Arial itself is not installed, so that texts fit their boxes.
    static void substituteFonts();
    static void createWindows();
    // What the engine chose not to use (a rollback journal that is not its table's
    // own) is told in a message box, after the event that found it.
    static void showEngineNotices();
    // The code window, hidden, beside the main window that exists already.
    static void createCodeWindow();
    // The description dialog and the about box, hidden.
    static void createDescriptionDialog();
    static void createAboutBox();
    static void destroyWindows();
};
