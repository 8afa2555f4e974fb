#include "framework/reporting/ReportLayout.h"

#include "framework/dataset/DataSource.h"
#include "framework/dataset/Table.h"
#include "framework/reporting/LayoutProgress.h"
#include "framework/reporting/PageCollector.h"
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
    collectBands();
}

void ReportLayout::collectBands() {
    for (const ReportBand* band : m_report.bands()) {
        m_items[band] = band->items();
        if (band->kind() == ReportBand::Kind::Title && !m_title)
            m_title = band;
        else if (band->kind() == ReportBand::Kind::PageFooter && !m_footer)
            m_footer = band;
        else if (band->kind() == ReportBand::Kind::Detail)
            m_details.push_back(band);
    }
    for (const ReportDetailLink* link : m_report.detailLinks())
        if (link->DetailBand() && viewOf(link->DataSource()))
            m_links.push_back({viewOf(link->DataSource()), link->DetailBand()});
    const double footerHeight = m_footer ? m_footer->Height() : 0;
    m_bodyBottom = m_report.pageSize().height() - m_report.BottomMargin() - footerHeight;
}

std::optional<PreparedReport> ReportLayout::run(LayoutProgress* progress) {
    PageCollector pages(m_report.ReportTitle(), m_report.pageSize());
    if (!run(pages, progress))
        return std::nullopt;
    return pages.take();
}

bool ReportLayout::run(PageSink& sink, LayoutProgress* progress) {
    m_sink = &sink;
    m_sinkRefused = false;
    m_context.pageNumber = 0;
    startPage();
    if (m_title)
        printBand(*m_title);
    dataset::Table* master = viewOf(m_report.DataSource());
    if (master && master->Active()) {
        // Counted as the walk below advances, over the rows the view shows: the
        // file's row count includes rows a filter leaves out, and a bar
        // measured by it would stop far short of its end.
        const int total = shownRowCount(*master);
        int done = 0;
        for (master->First(); !master->Eof(); master->Next()) {
            walkRow();
            if (m_sinkRefused || (progress && !progress->advance(++done, total)))
                return false;
        }
    }
    finishPage();
    return !m_sinkRefused;
}

int ReportLayout::shownRowCount(dataset::Table& view) {
    int count = 0;
    for (view.First(); !view.Eof(); view.Next())
        ++count;
    return count;
}

void ReportLayout::walkRow() {
    for (const ReportBand* band : m_details)
        printBand(*band);
    walkDetailLinks();
}

void ReportLayout::walkDetailLinks() {
    for (const Link& link : m_links) {
        if (!link.view->Active())
            continue;
        for (link.view->First(); !link.view->Eof(); link.view->Next())
            printBand(*link.band);
    }
}

void ReportLayout::printBand(const ReportBand& band) {
    if (band.BeforePrint)
        band.BeforePrint();
    if (!m_pageEmpty && m_y + band.Height() > m_bodyBottom) {
        finishPage();
        startPage();
    }
    placeBand(band, m_y);
    m_y += band.Height();
    m_pageEmpty = false;
}

void ReportLayout::placeBand(const ReportBand& band, double top) {
    const QPointF origin(m_report.LeftMargin(), top);
    for (const ReportItem* item : m_items[&band])
        if (item->Visible())
            item->print(m_page, origin, m_context);
}

void ReportLayout::startPage() {
    ++m_context.pageNumber;
    m_page.number = m_context.pageNumber;
    m_page.items.clear();
    m_y = m_report.TopMargin();
    m_pageEmpty = true;
}

void ReportLayout::finishPage() {
    if (m_footer)
        placeBand(*m_footer, m_bodyBottom);
    const size_t itemCount = m_page.items.size();
    if (!m_sinkRefused && !m_sink->takePage(std::move(m_page)))
        m_sinkRefused = true;
    // A sink that kept the page took its room along; the next page is about
    // as full as this one. One that only read it leaves the room for reuse.
    if (m_page.items.capacity() == 0)
        m_page.items.reserve(itemCount);
}

} // namespace reporting
