#pragma once

#include <string>
#include <vector>

// The command line of korvanta, read before any window or display is touched:
// --help and --version answer without a display, --lang fr|en picks the
// language the windows switch to when the main window is first shown.
// Options with one dash (-platform, -style...) are left to Qt.
class StartOptions {
public:
    enum class Action { Run, Help, Version, UsageError };

    static StartOptions parse(const std::vector<std::string>& args);

    Action action = Action::Run;
    int language = 1;  // 0 French, 1 English
    std::string error; // why the command line was refused
    // True when -platform was given: Qt is told where to draw, so the
    // absence of DISPLAY says nothing.
    bool platformGiven = false;

    static std::string helpText();
    static std::string versionText();

private:
    // Reads "--lang X" or "--lang=X" at args[i]; advances i past the value.
    bool readLanguage(const std::vector<std::string>& args, std::size_t& i);
    void refuse(const std::string& why);
};
