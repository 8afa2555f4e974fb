#pragma once

#include <QLineEdit>

namespace widgets {

class LengthValidator;

// A one-line edit box. Its maximum length limits what the user can type
// (0: no limit); a longer text put into the box by program code is kept whole,
// and typing never makes it longer.
class Edit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString Text READ text WRITE setText)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    Edit(QWidget* parent, const QString& name);

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length);

    // Hides QLineEdit::setText, so that a long text set by code stays whole
    // and typing into it stays refused.
    void setText(const QString& text);

private:
    void settleLength();

    int m_maxLength = 0;
    LengthValidator* m_lengths = nullptr;
};

} // namespace widgets
