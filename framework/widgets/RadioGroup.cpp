#include "framework/widgets/RadioGroup.h"

#include "framework/widgets/Component.h"

#include <QRadioButton>

namespace widgets {

RadioGroup::RadioGroup(QWidget* parent, const QString& name) : QGroupBox(parent) {
    adopt(this, name, parent);
}

QStringList RadioGroup::items() const {
    QStringList all;
    for (const QRadioButton* b : buttons_)
        all.append(b->text());
    return all;
}

void RadioGroup::setItems(const QStringList& items) {
    qDeleteAll(buttons_);
    buttons_.clear();
    for (const QString& text : items) {
        auto* b = new QRadioButton(text, this);
        b->show();
        buttons_.append(b);
    }
    placeButtons();
}

void RadioGroup::setItemText(int index, const QString& text) {
    if (index >= 0 && index < buttons_.size())
        buttons_[index]->setText(text);
}

int RadioGroup::itemIndex() const {
    for (int k = 0; k < buttons_.size(); ++k) {
        if (buttons_[k]->isChecked())
            return k;
    }
    return -1;
}

void RadioGroup::setItemIndex(int index) {
    for (int k = 0; k < buttons_.size(); ++k) {
        // Exclusive within the group: unchecking needs the exclusivity lifted.
        buttons_[k]->setAutoExclusive(false);
        buttons_[k]->setChecked(k == index);
        buttons_[k]->setAutoExclusive(true);
    }
}

void RadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    placeButtons();
}

void RadioGroup::placeButtons() {
    if (buttons_.isEmpty())
        return;
    const QRect inside = contentsRect().adjusted(8, fontMetrics().height(), -4, -4);
    const int step = std::max(1, inside.height() / static_cast<int>(buttons_.size()));
    for (int k = 0; k < buttons_.size(); ++k)
        buttons_[k]->setGeometry(inside.left(), inside.top() + k * step, inside.width(), step);
}

} // namespace widgets
