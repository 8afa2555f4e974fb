#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QRadioButton;

namespace widgets {

// A captioned frame holding one radio button per item; at most one item is
// chosen (item index -1: none).
class RadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(QStringList Items READ items WRITE setItems)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    RadioGroup(QWidget* parent, const QString& name);

    QString caption() const { return title(); }
    void setCaption(const QString& caption) { setTitle(caption); }
    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    QStringList items() const;
    void setItems(const QStringList& items);
    int itemCount() const { return static_cast<int>(m_buttons.size()); }
    void setItemText(int index, const QString& text);

    int itemIndex() const;
    void setItemIndex(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeButtons();

    QList<QRadioButton*> m_buttons;
};

} // namespace widgets
