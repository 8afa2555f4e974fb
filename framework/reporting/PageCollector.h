#pragma once

#include "framework/reporting/PageSink.h"

namespace reporting {

// Keeps every page in memory: for short reports, tests and callers that want
// the whole prepared report at hand.
class PageCollector : public PageSink {
public:
    PageCollector(const QString& title, QSizeF pageSize) : m_report{title, pageSize, {}} {}

    bool takePage(ReportPage&& page) override {
        // Held for as long as the report is: no room to spare.
        page.items.shrink_to_fit();
        m_report.pages.push_back(std::move(page));
        return true;
    }
    PreparedReport take() { return std::move(m_report); }

private:
    PreparedReport m_report;
};

} // namespace reporting
