#pragma once
// Lays a report out into pages, walking its data:
//  1. the report's view goes to its first row; the title band prints at the
//     top of page 1;
//  2. for each row, the detail bands print, then each detail link walks its
//     own (tied) view from first to last row, running the sub-detail band's
//     BeforePrint and printing it for each row;
//  3. a band that does not fit above the page footer starts a new page; a
//     band taller than the room of an empty page prints there all the same;
//  4. the page footer prints at the foot of every page, the last included.

#include "framework/reporting/PageModel.h"
#include "framework/reporting/PrintContext.h"
#include "framework/reporting/ReportBand.h"

#include <optional>

namespace reporting {

class LayoutProgress;
class Report;

class ReportLayout {
public:
    ReportLayout(const Report& report, QDate today);

    // The pages, or nothing when `progress` stopped the layout.
    std::optional<PreparedReport> run(LayoutProgress* progress = nullptr);

private:
    void walkRow();
    void walkDetailLinks();
    void printBand(const ReportBand& band);
    void placeBand(const ReportBand& band, double top);
    void startPage();
    void finishPage();
    double footerHeight() const;
    double bodyBottom() const;
    const ReportBand* bandOf(ReportBand::Kind kind) const;

    const Report& m_report;
    PrintContext m_context;
    PreparedReport m_prepared;
    double m_y = 0;
    bool m_pageEmpty = true;
};

} // namespace reporting
