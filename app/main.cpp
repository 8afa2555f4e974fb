// Korvanta: keeps data dictionaries of Paradox tables.

#include "app/Startup.h"
#include "app/Tf_Main.h"
#include "framework/widgets/ErrorGuard.h"
#include "store/DictionaryStore.h"

int main(int argc, char** argv) {
    widgets::Application application(argc, argv);
    Startup::setApplicationTitle();
    Startup::setProgramIcon();
    Startup::substituteFonts();
    Startup::createWindows();
    f_Main->show();
    const int result = application.exec();
    // The open dictionary is closed before the windows go, so that writing its
    // index files can still fail in front of the user (its rows are safe already).
    widgets::runGuarded([] { f_Main->Store->CloseDico(); });
    Startup::destroyWindows();
    return result;
}
