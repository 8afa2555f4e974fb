#include "framework/widgets/RadioGroup.h"

#include "framework/widgets/Component.h"

#include <QRadioButton>

namespace widgets {

RadioGroup::RadioGroup(QWidget* parent, const QString& name) : QGroupBox(parent) {
    adopt(this, name, parent);
}

QStringList RadioGroup::items() const {
    QStringList all;
    for (const QRadioButton* b : m_buttons)
        all.append(b->text());
    return all;
}

void RadioGroup::setItems(const QStringList& items) {
    qDeleteAll(m_buttons);
    m_buttons.clear();
    for (const QString& text : items) {
        auto* b = new QRadioButton(text, this);
        b->show();
        m_buttons.append(b);
    }
    placeButtons();
}

void RadioGroup::setItemText(int index, const QString& text) {
    if (index >= 0 && index < m_buttons.size())
        m_buttons[index]->setText(text);
}

int RadioGroup::itemIndex() const {
    for (int k = 0; k < m_buttons.size(); ++k) {
        if (m_buttons[k]->isChecked())
            return k;
    }
    return -1;
}

void RadioGroup::setItemIndex(int index) {
    for (int k = 0; k < m_buttons.size(); ++k) {
        // Exclusive within the group: unchecking needs the exclusivity lifted.
        m_buttons[k]->setAutoExclusive(false);
        m_buttons[k]->setChecked(k == index);
        m_buttons[k]->setAutoExclusive(true);
    }
}

void RadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    placeButtons();
}

void RadioGroup::placeButtons() {
    if (m_buttons.isEmpty())
        return;
    const QRect inside = contentsRect().adjusted(8, fontMetrics().height(), -4, -4);
    const int step = std::max(1, inside.height() / static_cast<int>(m_buttons.size()));
    for (int k = 0; k < m_buttons.size(); ++k)
        m_buttons[k]->setGeometry(inside.left(), inside.top() + k * step, inside.width(), step);
}

} // namespace widgets
