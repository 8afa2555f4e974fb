#pragma once

// Puts the message-box and modal-window seams in strict mode for one test and
// turns any misuse they report (an unexpected box, an unused answer) into a
// failure of that test. Leaves the seams clean for the next test.

#include "framework/widgets/MessageSeam.h"
#include "framework/widgets/ModalSeam.h"
#include "framework/widgets/TestFailure.h"

#include <QStringList>
#include <QTest>

class SeamGuard {
public:
    SeamGuard() {
        widgets::MessageSeam::clear();
        widgets::MessageSeam::setStrict(true);
        widgets::ModalSeam::clear();
        widgets::ModalSeam::setStrict(true);
        widgets::TestFailure::setHandler(
            [](const QString& reason) { QTest::qFail(qPrintable(reason), __FILE__, __LINE__); });
    }
    ~SeamGuard() {
        if (widgets::MessageSeam::pending() > 0)
            QTest::qFail("queued message answers were not used", __FILE__, __LINE__);
        widgets::MessageSeam::clear();
        widgets::ModalSeam::clear();
        widgets::TestFailure::setHandler({});
    }
    SeamGuard(const SeamGuard&) = delete;
    SeamGuard& operator=(const SeamGuard&) = delete;
};

// Records the failures the seams report instead of failing, for tests of the
// seams themselves.
class FailureRecorder {
public:
    FailureRecorder() {
        widgets::TestFailure::setHandler([this](const QString& reason) { reasons.append(reason); });
    }
    ~FailureRecorder() { widgets::TestFailure::setHandler({}); }
    FailureRecorder(const FailureRecorder&) = delete;
    FailureRecorder& operator=(const FailureRecorder&) = delete;

    QStringList reasons;
};
