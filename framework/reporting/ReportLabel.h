#pragma once

#include "framework/reporting/ReportItem.h"

namespace reporting {

// A fixed text. With AutoSize the label takes the width of its text and is
// never cut off; otherwise it keeps its box.
class ReportLabel : public ReportItem {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)

public:
    ReportLabel(QObject* band, const QString& name);

    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption) { m_caption = caption; }
    bool AutoSize() const { return m_autoSize; }
    void setAutoSize(bool on) { m_autoSize = on; }

    void print(ReportPage& page, QPointF origin, const PrintContext& context) const override;

private:
    QString m_caption;
    bool m_autoSize = false;
};

} // namespace reporting
