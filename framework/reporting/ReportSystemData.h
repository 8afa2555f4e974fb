#pragma once

#include "framework/reporting/ReportItem.h"

namespace reporting {

// A value of the printing itself, after a fixed text: today's date in the
// system's short format, or the number of the page being printed.
class ReportSystemData : public ReportItem {
    Q_OBJECT
    Q_PROPERTY(QString Text READ Text WRITE setText)

public:
    enum class Data { Date, PageNumber };

    ReportSystemData(QObject* band, const QString& name, Data data);

    Data data() const { return m_data; }
    QString Text() const { return m_text; }
    void setText(const QString& text) { m_text = text; }

    void print(ReportPage& page, QPointF origin, const PrintContext& context) const override;

private:
    QString value(const PrintContext& context) const;

    Data m_data;
    QString m_text;
};

} // namespace reporting
