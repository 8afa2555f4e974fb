// Korvanta: keeps data dictionaries of Paradox tables.

#include "app/Startup.h"
#include "app/Tf_Main.h"
#include "framework/widgets/ErrorGuard.h"

int main(int argc, char** argv) {
    widgets::Application application(argc, argv);
    Startup::setApplicationTitle();
    Startup::createWindows();
    f_Main->show();
    const int result = application.exec();
    Startup::destroyWindows();
    return result;
}
