#pragma once

#include <QObject>

#include <functional>
#include <vector>

namespace reporting {

class ReportItem;

// A band of the report: a strip across the page, `Height` report units high,
// holding items. Its kind says when it prints.
class ReportBand : public QObject {
    Q_OBJECT

public:
    enum class Kind {
        Title,      // once, at the top of the first page
        Detail,     // once per row of the report's data
        SubDetail,  // once per row of a detail link's data
        PageFooter, // at the foot of every page
    };

    ReportBand(QObject* report, const QString& name, Kind kind, int height);

    Kind kind() const { return m_kind; }
    int Height() const { return m_height; }
    // The band's items, in the order they were created.
    std::vector<const ReportItem*> items() const;

    // Runs before each printing of the band (may hide or show items).
    std::function<void()> BeforePrint;

private:
    Kind m_kind;
    int m_height;
};

} // namespace reporting
