#include "framework/reporting/ReportProgressWindow.h"

#include "framework/reporting/ReportWindowTexts.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace reporting {

ReportProgressWindow::ReportProgressWindow(const QString& line, const QString& title,
                                           QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("ReportProgress"));
    setWindowTitle(ReportWindowTexts::progressCaption);
    setFixedSize(400, 140);
    m_line = new QLabel(line + QLatin1Char(' ') + title, this);
    m_line->setObjectName(QStringLiteral("line"));
    m_line->setGeometry(20, 10, 360, 20);
    m_bar = new QProgressBar(this);
    m_bar->setGeometry(20, 40, 360, 20);
    m_cancel = new QPushButton(QStringLiteral("Annuler"), this);
    m_cancel->setGeometry(170, 75, 60, 26);
    m_cancel->setDefault(true);
    connect(m_cancel, &QPushButton::clicked, this, &ReportProgressWindow::reject);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

bool ReportProgressWindow::advance(int done, int total) {
    constexpr qint64 kEventsEveryMs = 30;
    if (done < total && m_sinceEvents.isValid() && m_sinceEvents.elapsed() < kEventsEveryMs)
        return !m_cancelled;
    m_sinceEvents.start();
    m_bar->setMaximum(qMax(total, done));
    m_bar->setValue(done);
    QCoreApplication::processEvents();
    return !m_cancelled;
}

void ReportProgressWindow::reject() {
    // Escape and the button both stop the work; the window closes after it.
    m_cancelled = true;
    QDialog::reject();
}

} // namespace reporting
