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
    auto layout = std::make_unique<ReportLayout>(*this, QDate::currentDate());
    ReportLayout::Step step = ReportLayout::Step::More;
    {
        ReportProgressWindow progress(ReportWindowTexts::preparingLine, m_title);
        progress.show();
        layout->start(*pages);
        // The preview opens as soon as its first page is made; it lays the
        // others out behind it.
        while (step == ReportLayout::Step::More && pages->pageCount() == 0)
            step = layout->layRows(1, &progress);
    }
    if (step == ReportLayout::Step::Stopped) {
        if (!pages->error().isEmpty())
            widgets::MessageDlg(pages->error(), widgets::mtError, widgets::mbOK);
        return nullptr;
    }
    auto* preview = new ReportPreviewWindow(std::move(pages), owner);
    if (step == ReportLayout::Step::More)
        preview->continueLayout(std::move(layout), this);
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
