#pragma once

#include "framework/reporting/LayoutProgress.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;
class QPushButton;

namespace reporting {

// Shown while pages are prepared or printed: a line naming the report, a
// bar, and "Annuler", which stops the work. Events are processed at the
// first step, the last, and some thirty times a second between, so the
// button answers while the work goes on without the window slowing it.
class ReportProgressWindow : public QDialog, public LayoutProgress {
    Q_OBJECT

public:
    // `line`: "Préparation état" or "Impression état"; the title follows it.
    ReportProgressWindow(const QString& line, const QString& title, QWidget* parent = nullptr);

    bool advance(int done, int total) override;
    bool cancelled() const { return m_cancelled; }
    QPushButton* cancelButton() const { return m_cancel; }

protected:
    void reject() override;

private:
    QLabel* m_line;
    QProgressBar* m_bar;
    QPushButton* m_cancel;
    bool m_cancelled = false;
    QElapsedTimer m_sinceEvents;
};

} // namespace reporting
