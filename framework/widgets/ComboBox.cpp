#include "framework/widgets/ComboBox.h"

#include "framework/widgets/Component.h"

namespace widgets {

ComboBox::ComboBox(QWidget* parent, const QString& name) : QComboBox(parent) {
    adopt(this, name, parent);
}

QStringList ComboBox::items() const {
    QStringList all;
    for (int k = 0; k < count(); ++k)
        all.append(itemText(k));
    return all;
}

void ComboBox::setItems(const QStringList& items) {
    clear();
    addItems(items);
}

void ComboBox::setText(const QString& text) {
    if (isEditable())
        setEditText(text);
    else
        setCurrentIndex(findText(text));
}

} // namespace widgets
