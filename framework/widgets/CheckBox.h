#pragma once

#include <QCheckBox>

namespace widgets {

// A check box with its caption beside it.
class CheckBox : public QCheckBox {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    CheckBox(QWidget* parent, const QString& name, const QString& caption = {});

    QString caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }
    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }
};

} // namespace widgets
