#pragma once

#include <QListWidget>
#include <QStringList>

namespace widgets {

// A list of text items, with single or multiple selection.
class ListBox : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(QStringList Items READ items WRITE setItems)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    ListBox(QWidget* parent, const QString& name);

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    QStringList items() const;
    void setItems(const QStringList& items);
    int itemCount() const { return count(); }
    void setItemText(int index, const QString& text);

    int itemIndex() const { return currentRow(); }
    void setItemIndex(int index) { setCurrentRow(index); }
    void setMultiSelect(bool multi);
};

} // namespace widgets
