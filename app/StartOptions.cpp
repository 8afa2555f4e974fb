#include "app/StartOptions.h"

#ifndef KV_VERSION
#define KV_VERSION "unknown"
#endif

namespace {
const std::string kLangOption = "--lang";
}

StartOptions StartOptions::parse(const std::vector<std::string>& args) {
    StartOptions options;
    for (std::size_t i = 0; i < args.size() && options.action == Action::Run; ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h")
            options.action = Action::Help;
        else if (arg == "--version")
            options.action = Action::Version;
        else if (arg == kLangOption || arg.starts_with(kLangOption + "="))
            options.readLanguage(args, i);
        else if (arg == "-platform" || arg == "--platform")
            options.platformGiven = true;
        else if (arg.starts_with("--"))
            options.refuse("unknown option '" + arg + "'");
    }
    return options;
}

bool StartOptions::readLanguage(const std::vector<std::string>& args, std::size_t& i) {
    std::string value;
    if (args[i].size() > kLangOption.size()) {
        value = args[i].substr(kLangOption.size() + 1);
    } else if (i + 1 < args.size()) {
        value = args[++i];
    } else {
        refuse("--lang needs a value: fr or en");
        return false;
    }
    if (value == "fr") {
        language = 0;
    } else if (value == "en") {
        language = 1;
    } else {
        refuse("--lang takes fr or en, not '" + value + "'");
        return false;
    }
    return true;
}

void StartOptions::refuse(const std::string& why) {
    action = Action::UsageError;
    error = why;
}

std::string StartOptions::helpText() {
    return "Usage: korvanta [--lang fr|en] [QT-OPTIONS]\n"
           "Keeps data dictionaries of Paradox tables: captures their structure, generates\n"
           "the code that recreates them, and prints the dictionary.\n"
           "\n"
           "Options:\n"
           "  --lang fr|en  language of the windows once the main window is shown\n"
           "                (English when not given)\n"
           "  -h, --help    show this help and exit\n"
           "  --version     show the version and exit\n"
           "  Qt's own options (-platform NAME, -style NAME, ...) are passed to Qt.\n"
           "\n"
           "Dictionaries live in Datas/ beside the executable, or, when that folder cannot\n"
           "be written, in Datas/ under the user's application data folder.\n"
           "\n"
           "Exit status:\n"
           "  0  closed normally\n"
           "  1  no display to open the window on\n"
           "  2  wrong command line\n";
}

std::string StartOptions::versionText() {
    return "korvanta " KV_VERSION "\n";
}
