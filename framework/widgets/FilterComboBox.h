#pragma once

#include <QComboBox>

namespace widgets {

// A drop-down of file filters for a file list: its filter holds pairs
// "description|pattern" separated by "|"; each description is an item, and
// choosing one gives its pattern as the mask.
class FilterComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString Filter READ filter WRITE setFilter)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    FilterComboBox(QWidget* parent, const QString& name);

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    QString filter() const { return m_filter; }
    void setFilter(const QString& filter);
    QString mask() const; // the chosen description's pattern

private:
    QString m_filter;
};

} // namespace widgets
