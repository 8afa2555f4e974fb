#pragma once
// Lays a report out into pages, walking its data:
//  1. the report's view goes to its first row; the title band prints at the
//     top of page 1;
//  2. for each row, the detail bands print, then each detail link walks its
//     own (tied) view from first to last row, running the sub-detail band's
//     BeforePrint and printing it for each row;
//  3. a band that does not fit above the page footer starts a new page; a
//     band taller than the room of an empty page prints there all the same;
//  4. the page footer prints at the foot of every page, the last included;
//  5. each page, once its footer is printed, goes to the page sink at once:
//     only the page being filled is held, whatever the report's length.

#include "framework/reporting/PageModel.h"
#include "framework/reporting/PrintContext.h"
#include "framework/reporting/ReportBand.h"

#include <optional>
#include <unordered_map>
#include <vector>

namespace dataset {
class Table;
}

namespace reporting {

class LayoutProgress;
class PageSink;
class Report;
class ReportItem;

class ReportLayout {
public:
    ReportLayout(const Report& report, QDate today);

    // The pages, or nothing when `progress` stopped the layout.
    std::optional<PreparedReport> run(LayoutProgress* progress = nullptr);
    // Hands the pages to `sink` as they are made. False when `progress`
    // stopped the layout or the sink refused a page.
    bool run(PageSink& sink, LayoutProgress* progress = nullptr);

    // The same run in steps, for a caller that shows the first pages while the
    // others are laid out: start, then layRows until it answers Done, or
    // Stopped (progress stopped it, the sink refused a page, or the report's
    // view was closed meanwhile).
    enum class Step { More, Done, Stopped };
    void start(PageSink& sink);
    Step layRows(int rows, LayoutProgress* progress = nullptr);

private:
    struct Link {
        dataset::Table* view;
        const ReportBand* band;
    };

    void collectBands();
    void walkRow();
    void walkDetailLinks();
    void printBand(const ReportBand& band);
    void placeBand(const ReportBand& band, double top);
    void startPage();
    void finishPage();

    const Report& m_report;
    // The definition, read once: a report's bands do not change while it runs.
    const ReportBand* m_title = nullptr;
    const ReportBand* m_footer = nullptr;
    std::vector<const ReportBand*> m_details;
    std::vector<Link> m_links;
    std::unordered_map<const ReportBand*, std::vector<const ReportItem*>> m_items;
    double m_bodyBottom = 0; // where the page footer starts
    PrintContext m_context;
    PageSink* m_sink = nullptr;
    ReportPage m_page;
    bool m_sinkRefused = false;
    double m_y = 0;
    bool m_pageEmpty = true;
    dataset::Table* m_master = nullptr; // the view being walked; nullptr once past its end
    int m_total = 0;                    // rows it shows
    int m_done = 0;
    bool m_finished = false;
};

} // namespace reporting
