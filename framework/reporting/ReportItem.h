#pragma once

#include "framework/reporting/PageModel.h"
#include "framework/reporting/PrintContext.h"
#include "framework/reporting/ReportFont.h"

#include <QObject>
#include <QRect>

namespace reporting {

// One item of a band, at a position and size in report units measured from
// the band's top-left corner. Items are children of their band and carry
// their component name as object name, so a word table finds them.
class ReportItem : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)

public:
    ReportItem(QObject* band, const QString& name);

    QRect geometry() const { return m_geometry; }
    void setGeometry(int left, int top, int width, int height);
    const ReportFont& font() const { return m_font; }
    void setFont(const ReportFont& font) { m_font = font; }
    int alignment() const { return m_alignment; }
    void setAlignment(int alignment) { m_alignment = alignment; }
    // A hidden item prints nothing; a before-print handler may switch it.
    bool Visible() const { return m_visible; }
    void setVisible(bool on) { m_visible = on; }

    // Appends what the item prints to `page`, the band's top-left corner at
    // `origin` on the page.
    virtual void print(ReportPage& page, QPointF origin, const PrintContext& context) const = 0;

protected:
    // A text aligned and cut off in the item's box.
    PageItem textInBox(QPointF origin, const QString& text) const;

private:
    QRect m_geometry;
    ReportFont m_font;
    int m_alignment = Qt::AlignLeft;
    bool m_visible = true;
};

} // namespace reporting
