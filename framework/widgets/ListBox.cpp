#include "framework/widgets/ListBox.h"

#include "framework/widgets/Component.h"
#include "framework/widgets/FocusFrameDelegate.h"

namespace widgets {

ListBox::ListBox(QWidget* parent, const QString& name) : QListWidget(parent) {
    adopt(this, name, parent);
    setItemDelegate(new FocusFrameDelegate(this));
}

QStringList ListBox::items() const {
    QStringList all;
    for (int k = 0; k < count(); ++k)
        all.append(item(k)->text());
    return all;
}

void ListBox::setItems(const QStringList& items) {
    clear();
    addItems(items);
}

void ListBox::setItemText(int index, const QString& text) {
    if (QListWidgetItem* it = item(index))
        it->setText(text);
}

void ListBox::setMultiSelect(bool multi) {
    setSelectionMode(multi ? QAbstractItemView::ExtendedSelection
                           : QAbstractItemView::SingleSelection);
}

} // namespace widgets
