#pragma once

#include <QWidget>

namespace widgets {

// A thin bar between two docked controls. Dragging it changes the width (or,
// docked at the top or bottom, the height) of the control docked just
// before it on the same side; the control docked after it follows.
class Splitter : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    Splitter(QWidget* parent, const QString& name);

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    // The control whose size the splitter changes: the visible sibling docked
    // the same way whose far edge touches the splitter; nullptr if none.
    QWidget* controlBefore() const;
    void setMinSize(int pixels) { m_minSize = pixels; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool vertical() const;
    int roomAfter() const;

    int m_minSize = 30;
    bool m_dragging = false;
    int m_pressPos = 0;
    int m_startSize = 0;
    int m_maxSize = 0;
};

} // namespace widgets
