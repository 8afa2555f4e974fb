#pragma once

#include <QComboBox>
#include <QStringList>

namespace widgets {

// A drop-down list of text items.
class ComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QStringList Items READ items WRITE setItems)
    Q_PROPERTY(QString Text READ text WRITE setText)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    ComboBox(QWidget* parent, const QString& name);

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    QStringList items() const;
    void setItems(const QStringList& items);
    int itemCount() const { return count(); }

    QString text() const { return currentText(); }
    void setText(const QString& text);

    int itemIndex() const { return currentIndex(); }
    void setItemIndex(int index) { setCurrentIndex(index); }
};

} // namespace widgets
