#pragma once

#include "framework/reporting/PageModel.h"

namespace reporting {

// Where the layout hands each page as soon as it is whole, so that a long
// report need not be held in memory: a PDF writer draws it at once, the
// preview's page store keeps it on disk. Answering false stops the layout
// (the destination failed; it keeps its own reason).
class PageSink {
public:
    virtual ~PageSink() = default;
    virtual bool takePage(ReportPage&& page) = 0;
};

} // namespace reporting
