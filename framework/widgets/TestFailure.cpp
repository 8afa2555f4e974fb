#include "framework/widgets/TestFailure.h"

#include <QtGlobal>

namespace widgets {

namespace {
TestFailure::Handler& currentHandler() {
    static TestFailure::Handler handler;
    return handler;
}
} // namespace

void TestFailure::setHandler(Handler handler) {
    currentHandler() = std::move(handler);
}

void TestFailure::report(const QString& reason) {
    if (currentHandler()) {
        currentHandler()(reason);
        return;
    }
    qFatal("%s", qPrintable(reason));
}

} // namespace widgets
