#pragma once

#include "framework/reporting/PageModel.h"

#include <QString>

class QDataStream;

namespace reporting {

// One page in the prepared-report file's encoding (PreparedReportFile
// describes it): the file and the preview's page store write pages the same
// way, so that the store's bytes are the file's pages as they stand.
class PageCodec {
public:
    static void write(QDataStream& out, const ReportPage& page);
    // The same bytes as write(), appended to `out` without going through a
    // stream: the layout stores every page as it is made, and a stream's
    // per-value cost would weigh on the time to the first page.
    static void append(QByteArray& out, const ReportPage& page);
    // Reads one page, checking its counts against `bytesLeft`; an empty
    // answer, or the reason the page is refused.
    static QString read(QDataStream& in, qint64 bytesLeft, ReportPage& page);
};

} // namespace reporting
