#pragma once
// A prepared report saved from the preview and loaded back into it: the
// pages exactly as laid out, so a report prints later as it was prepared.
//
// The file is a Qt data stream (version Qt_6_0, big-endian):
//
//   field            type               meaning
//   magic            4 bytes "KVRP"     identifies the file
//   version          quint16            1
//   title            QString            the report's title (print job name)
//   page width       double             report units (96 to the inch)
//   page height      double             report units
//   page count       quint32            pages that follow
//   per page:
//     number         qint32             printed page number
//     item count     quint32            items that follow
//     per item:
//       kind         quint8             0 text, 1 line
//       box          4 × double         left, top, width, height in report units
//       text         QString            empty for a line
//       font family  QString
//       font size    qint32             character height in report units
//       bold, italic quint8, quint8     0 or 1
//       alignment    qint32             Qt::AlignLeft, AlignHCenter or AlignRight
//       clipped      quint8             1: cut off at the box's edges
//       source       QString            the component that printed it
//
// Reading checks every count against the bytes left, so a damaged file is
// refused with a reason instead of being trusted.

#include "framework/reporting/PageModel.h"

#include <QString>

#include <memory>
#include <optional>

namespace reporting {

class PageStore;

class PreparedReportFile {
public:
    // Written as a stream in place of `path` (ReplacingFile): a failure
    // leaves any old file whole.
    static bool save(const PreparedReport& report, const QString& path, QString& error);
    static bool saveStore(const PageStore& pages, const QString& path, QString& error);
    static std::optional<PreparedReport> load(const QString& path, QString& error);
    // The pages read one at a time into a page store, never all in memory.
    static std::unique_ptr<PageStore> loadStore(const QString& path, QString& error);
};

} // namespace reporting
