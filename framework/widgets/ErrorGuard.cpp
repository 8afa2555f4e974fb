#include "framework/widgets/ErrorGuard.h"

#include "framework/widgets/MessageDlg.h"

#include <exception>

namespace widgets {

bool runGuarded(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const std::exception& error) {
        // Engine and dataset errors carry their French message as UTF-8.
        MessageDlg(QString::fromUtf8(error.what()), mtError, mbOK);
    } catch (...) {
        MessageDlg(QStringLiteral("Erreur inconnue"), mtError, mbOK);
    }
    return false;
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    runGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

} // namespace widgets
