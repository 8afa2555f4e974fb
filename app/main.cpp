// Korvanta: keeps data dictionaries of Paradox tables.

#include "app/DisplayCheck.h"
#include "app/StartOptions.h"
#include "app/Startup.h"
#include "app/Tf_Main.h"
#include "framework/widgets/ErrorGuard.h"
#include "store/DictionaryStore.h"

#include <iostream>

namespace {

// Answers the command line when it needs no window; -1 when the program runs.
int answerWithoutWindow(const StartOptions& options) {
    switch (options.action) {
    case StartOptions::Action::Help:
        std::cout << StartOptions::helpText();
        return 0;
    case StartOptions::Action::Version:
        std::cout << StartOptions::versionText();
        return 0;
    case StartOptions::Action::UsageError:
        std::cerr << "korvanta: " << options.error
                  << "\nTry 'korvanta --help' for more information.\n";
        return 2;
    case StartOptions::Action::Run:
        break;
    }
    if (!options.platformGiven && !DisplayCheck::displayAvailable()) {
        std::cerr << DisplayCheck::noDisplayMessage();
        return 1;
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    const StartOptions options = StartOptions::parse({argv + 1, argv + argc});
    if (const int status = answerWithoutWindow(options); status >= 0)
        return status;
    widgets::Application application(argc, argv);
    Startup::setApplicationTitle();
    Startup::setProgramIcon();
    Startup::substituteFonts();
    Startup::showEngineNotices();
    Startup::createWindows();
    f_Main->StartLanguage = options.language;
    f_Main->show();
    const int result = application.exec();
    // The open dictionary is closed before the windows go, so that writing its
    // index files can still fail in front of the user (its rows are safe already).
    widgets::runGuarded([] { f_Main->Store->CloseDico(); });
    Startup::destroyWindows();
    return result;
}
