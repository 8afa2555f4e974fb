#pragma once

#include <QLineEdit>

namespace widgets {

// A one-line edit box. Its maximum length limits what the user can type
// (0: no limit); a longer text put into the box by program code is kept whole.
class Edit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString Text READ text WRITE setText)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    Edit(QWidget* parent, const QString& name);

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    int maxLength() const { return maxLength_; }
    void setMaxLength(int length);

private:
    int maxLength_ = 0;
};

} // namespace widgets
