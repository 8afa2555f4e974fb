#include "framework/reporting/Report.h"

#include "framework/reporting/PageStore.h"
#include "framework/reporting/ReportBand.h"
#include "framework/reporting/ReportDetailLink.h"
#include "framework/reporting/ReportLayout.h"
#include "framework/reporting/ReportPreviewWindow.h"
#include "framework/reporting/ReportProgressWindow.h"
#include "framework/reporting/ReportWindowTexts.h"
#include "framework/widgets/MessageDlg.h"

#include <QLocale>
#include <QPageSize>
#include <QPrinterInfo>

namespace reporting {

Report::Report(QObject* form, const QString& name) : QObject(form), m_pageSize(defaultPageSize()) {
    setObjectName(name);
}

std::vector<ReportBand*> Report::bands() const {
    std::vector<ReportBand*> list;
    for (QObject* child : children())
        if (auto* band = qobject_cast<ReportBand*>(child))
            list.push_back(band);
    return list;
}

std::vector<ReportDetailLink*> Report::detailLinks() const {
    std::vector<ReportDetailLink*> list;
    for (QObject* child : children())
        if (auto* link = qobject_cast<ReportDetailLink*>(child))
            list.push_back(link);
    return list;
}

ReportPreviewWindow* Report::Preview(QWidget* owner) {
    auto pages = std::make_unique<PageStore>(m_title, m_pageSize);
    bool prepared = false;
    {
        ReportProgressWindow progress(ReportWindowTexts::preparingLine, m_title);
        progress.show();
        prepared = ReportLayout(*this, QDate::currentDate()).run(*pages, &progress);
    }
    if (!pages->error().isEmpty())
        widgets::MessageDlg(pages->error(), widgets::mtError, widgets::mbOK);
    if (!prepared)
        return nullptr;
    auto* preview = new ReportPreviewWindow(std::move(pages), owner);
    preview->showMaximized();
    preview->goToPage(1);
    return preview;
}

QSizeF Report::defaultPageSize() {
    QPageSize paper = QPrinterInfo::defaultPrinter().defaultPageSize();
    if (!paper.isValid())
        paper = QPageSize(QLocale::system().measurementSystem() == QLocale::ImperialUSSystem
                              ? QPageSize::Letter
                              : QPageSize::A4);
    return paper.size(QPageSize::Inch) * kUnitsPerInch;
}

} // namespace reporting
