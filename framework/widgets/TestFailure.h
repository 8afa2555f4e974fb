#pragma once

#include <QString>

#include <functional>

namespace widgets {

// Where the test seams report a misuse that must fail the running test at
// once, for example a message box that appears while no answer is queued in
// strict mode. By default the process stops with the reason (a test never
// hangs on an unexpected dialog); a test may install its own handler.
class TestFailure {
public:
    using Handler = std::function<void(const QString& reason)>;

    static void setHandler(Handler handler); // an empty handler restores the default
    static void report(const QString& reason);
};

} // namespace widgets
