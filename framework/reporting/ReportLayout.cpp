#include "framework/reporting/ReportLayout.h"

#include "framework/dataset/DataSource.h"
#include "framework/dataset/Table.h"
#include "framework/reporting/LayoutProgress.h"
#include "framework/reporting/PageCollector.h"
#include "framework/reporting/Report.h"
#include "framework/reporting/ReportBand.h"
#include "framework/reporting/ReportDetailLink.h"
#include "framework/reporting/ReportItem.h"

#include <limits>

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
    start(sink);
    Step step = Step::More;
    while (step == Step::More)
        step = layRows(std::numeric_limits<int>::max(), progress);
    return step == Step::Done;
}

void ReportLayout::start(PageSink& sink) {
    m_sink = &sink;
    m_sinkRefused = false;
    m_finished = false;
    m_context.pageNumber = 0;
    startPage();
    if (m_title)
        printBand(*m_title);
    m_master = viewOf(m_report.DataSource());
    m_total = m_done = 0;
    if (m_master && m_master->Active()) {
        // The bar counts the rows the walk below shows: the file's row count
        // includes rows a filter leaves out, and a bar measured by it would stop
        // far short of its end. Counted aside, so that no detail follows it.
        m_total = m_master->shownRowCount();
        m_master->First();
    } else {
        m_master = nullptr;
    }
}

ReportLayout::Step ReportLayout::layRows(int rows, LayoutProgress* progress) {
    if (m_finished)
        return m_sinkRefused ? Step::Stopped : Step::Done;
    if (m_master && !m_master->Active())
        return Step::Stopped; // closed between two calls: its rows are gone
    for (int n = 0; n < rows && m_master && !m_master->Eof(); ++n) {
        walkRow();
        if (m_sinkRefused || (progress && !progress->advance(++m_done, m_total)))
            return Step::Stopped;
        if (!m_master->Active())
            return Step::Stopped;
        m_master->Next();
    }
    if (m_master && !m_master->Eof())
        return Step::More;
    m_master = nullptr;
    m_finished = true;
    finishPage();
    return m_sinkRefused ? Step::Stopped : Step::Done;
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
