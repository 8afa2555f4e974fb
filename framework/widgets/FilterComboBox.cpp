#include "framework/widgets/FilterComboBox.h"

#include "framework/widgets/Component.h"

namespace widgets {

FilterComboBox::FilterComboBox(QWidget* parent, const QString& name) : QComboBox(parent) {
    adopt(this, name, parent);
}

void FilterComboBox::setFilter(const QString& filter) {
    m_filter = filter;
    clear();
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int k = 0; k + 1 < parts.size(); k += 2)
        addItem(parts[k], parts[k + 1]);
}

QString FilterComboBox::mask() const {
    return currentData().toString();
}

} // namespace widgets
