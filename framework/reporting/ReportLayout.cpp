#include "framework/reporting/ReportLayout.h"

#include "framework/dataset/DataSource.h"
#include "framework/dataset/Table.h"
#include "framework/reporting/LayoutProgress.h"
#include "framework/reporting/Report.h"
#include "framework/reporting/ReportBand.h"
#include "framework/reporting/ReportDetailLink.h"
#include "framework/reporting/ReportItem.h"

namespace reporting {

namespace {

dataset::Table* viewOf(dataset::DataSource* source) {
    return source ? source->DataSet() : nullptr;
}

} // namespace

ReportLayout::ReportLayout(const Report& report, QDate today) : m_report(report) {
    m_context.date = today;
}

std::optional<PreparedReport> ReportLayout::run(LayoutProgress* progress) {
    m_prepared = PreparedReport{m_report.ReportTitle(), m_report.pageSize(), {}};
    m_context.pageNumber = 0;
    startPage();
    if (const ReportBand* title = bandOf(ReportBand::Kind::Title))
        printBand(*title);
    dataset::Table* master = viewOf(m_report.DataSource());
    if (master && master->Active()) {
        const int total = master->RecordCount();
        int done = 0;
        for (master->First(); !master->Eof(); master->Next()) {
            walkRow();
            if (progress && !progress->advance(++done, total))
                return std::nullopt;
        }
    }
    finishPage();
    return std::move(m_prepared);
}

void ReportLayout::walkRow() {
    for (const ReportBand* band : m_report.bands())
        if (band->kind() == ReportBand::Kind::Detail)
            printBand(*band);
    walkDetailLinks();
}

void ReportLayout::walkDetailLinks() {
    for (const ReportDetailLink* link : m_report.detailLinks()) {
        dataset::Table* detail = viewOf(link->DataSource());
        if (!detail || !detail->Active() || !link->DetailBand())
            continue;
        for (detail->First(); !detail->Eof(); detail->Next())
            printBand(*link->DetailBand());
    }
}

void ReportLayout::printBand(const ReportBand& band) {
    if (band.BeforePrint)
        band.BeforePrint();
    if (!m_pageEmpty && m_y + band.Height() > bodyBottom()) {
        finishPage();
        startPage();
    }
    placeBand(band, m_y);
    m_y += band.Height();
    m_pageEmpty = false;
}

void ReportLayout::placeBand(const ReportBand& band, double top) {
    const QPointF origin(m_report.LeftMargin(), top);
    ReportPage& page = m_prepared.pages.back();
    for (const ReportItem* item : band.items())
        if (item->Visible())
            item->print(page, origin, m_context);
}

void ReportLayout::startPage() {
    ++m_context.pageNumber;
    m_prepared.pages.push_back(ReportPage{m_context.pageNumber, {}});
    m_y = m_report.TopMargin();
    m_pageEmpty = true;
}

void ReportLayout::finishPage() {
    if (const ReportBand* footer = bandOf(ReportBand::Kind::PageFooter))
        placeBand(*footer, bodyBottom());
}

double ReportLayout::footerHeight() const {
    const ReportBand* footer = bandOf(ReportBand::Kind::PageFooter);
    return footer ? footer->Height() : 0;
}

double ReportLayout::bodyBottom() const {
    return m_report.pageSize().height() - m_report.BottomMargin() - footerHeight();
}

const ReportBand* ReportLayout::bandOf(ReportBand::Kind kind) const {
    for (const ReportBand* band : m_report.bands())
        if (band->kind() == kind)
            return band;
    return nullptr;
}

} // namespace reporting
