#pragma once
// A prepared report: pages of positioned texts and lines, in report units
// (96 to the inch) from the page's top-left corner. It is what the layout
// produces, what the renderers draw and what the preview saves and loads, so
// that the screen, the printer and a PDF file show the same pages.

#include "framework/reporting/ReportFont.h"

#include <QRectF>
#include <QSizeF>
#include <QString>

#include <vector>

namespace reporting {

struct PageItem {
    enum class Kind { Text, Line };
    Kind kind = Kind::Text;
    // Text: the box the text is aligned in and cut off at. Line: drawn along
    // the box's top edge, from its left edge to its right edge.
    QRectF box;
    QString text;
    ReportFont font;
    int alignment = 0; // Qt::AlignLeft, Qt::AlignHCenter or Qt::AlignRight
    // A text that takes the width of its text is never cut off.
    bool clipped = true;
    // The component that printed it, for tests and for reading the pages back.
    QString source;

    bool operator==(const PageItem&) const = default;
};

struct ReportPage {
    int number = 1;
    std::vector<PageItem> items;

    bool operator==(const ReportPage&) const = default;
};

struct PreparedReport {
    QString title;   // names the print job
    QSizeF pageSize; // in report units
    std::vector<ReportPage> pages;

    bool operator==(const PreparedReport&) const = default;
};

// Report units per inch.
inline constexpr double kUnitsPerInch = 96.0;

} // namespace reporting
