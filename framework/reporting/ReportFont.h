#pragma once

#include <QString>

namespace reporting {

// A report item's font. The size is the character height in report units
// (96 to the inch), so that a page lays out the same on every device.
struct ReportFont {
    QString family = QStringLiteral("Arial");
    int size = 13;
    bool bold = false;
    bool italic = false;

    bool operator==(const ReportFont&) const = default;
};

} // namespace reporting
