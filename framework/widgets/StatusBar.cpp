#include "framework/widgets/StatusBar.h"

#include "framework/widgets/Align.h"
#include "framework/widgets/Component.h"

#include <QPainter>

namespace widgets {

StatusBar::StatusBar(QWidget* parent, const QString& name) : QWidget(parent) {
    adopt(this, name, parent);
    resize(width(), 19);
    setAlign(this, Align::Bottom);
}

void StatusBar::setSimpleText(const QString& text) {
    m_simpleText = text;
    update();
}

void StatusBar::setSimplePanel(bool simple) {
    m_simplePanel = simple;
    update();
}

void StatusBar::addPanel(const QString& text, int width) {
    m_panels.append({text, width});
    update();
}

QString StatusBar::panelText(int index) const {
    return index >= 0 && index < m_panels.size() ? m_panels[index].text : QString();
}

void StatusBar::setPanelText(int index, const QString& text) {
    if (index < 0 || index >= m_panels.size())
        return;
    m_panels[index].text = text;
    update();
}

QSize StatusBar::sizeHint() const {
    return {200, 19};
}

void StatusBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    if (m_simplePanel || m_panels.isEmpty()) {
        p.drawText(rect().adjusted(3, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter, m_simpleText);
        return;
    }
    int left = 0;
    for (const PanelData& panel : m_panels) {
        const QRect box(left, 1, panel.width - 2, height() - 2);
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(box);
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(box.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, panel.text);
        left += panel.width;
    }
}

} // namespace widgets
