#include "app/Startup.h"

#include "app/Tf_Main.h"
#include "lang/FixedTexts.h"

#include <QApplication>

void Startup::setApplicationTitle() {
    QApplication::setApplicationName(lang::fixed::applicationTitle());
}

void Startup::createWindows() {
    // The main window first: its creation prepares the data directory. The
    // code window, the description dialog, the about box and the report form
    // follow it here, hidden, in that order.
    f_Main = new Tf_Main();
}

void Startup::destroyWindows() {
    delete f_Main;
}
