#pragma once

#include <QApplication>

#include <functional>

namespace widgets {

// Runs one event handler. An error it raises (from the table engine, the
// dataset layer or any other std::exception) stops the handler and its text is
// shown in the standard error box, titled "Erreur"; the program goes on.
// Returns false when the handler was stopped by an error.
bool runGuarded(const std::function<void()>& handler);

// A slot that runs `handler` of `object` through the guard, for connect():
//   connect(spNouveau, &SpeedButton::clicked, this, guarded(this, &Tf_Main::spNouveauClick));
template <class Object> auto guarded(Object* object, void (Object::*handler)()) {
    return [object, handler] { runGuarded([object, handler] { (object->*handler)(); }); };
}

// The application object: an error that escapes an event despite the guard is
// shown the same way instead of ending the program.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace widgets
