#include "framework/widgets/Edit.h"

#include "framework/widgets/Component.h"

#include <QValidator>

namespace widgets {

// Refuses any edit that would leave the text longer than the limit and longer
// than it already is. A text set by program code may be longer than the
// limit and stays whole; the user may shorten it but never lengthen it, so
// no keystroke is taken and then cut away when the text is stored.
// The line edit's own maximum length would cut such a text when it is set.
class LengthValidator : public QValidator {
public:
    LengthValidator(int limit, QObject* parent) : QValidator(parent), m_limit(limit) {}
    State validate(QString& input, int&) const override {
        return input.size() <= qMax(m_limit, m_ceiling) ? Acceptable : Invalid;
    }
    // The length of the text the box holds now: edits may shrink it freely.
    void settle(int currentLength) { m_ceiling = currentLength; }

private:
    int m_limit;
    int m_ceiling = 0;
};

Edit::Edit(QWidget* parent, const QString& name) : QLineEdit(parent) {
    adopt(this, name, parent);
    connect(this, &QLineEdit::textChanged, this, [this] { settleLength(); });
}

void Edit::setMaxLength(int length) {
    m_maxLength = length;
    delete validator();
    m_lengths = length > 0 ? new LengthValidator(length, this) : nullptr;
    setValidator(m_lengths);
    settleLength();
}

void Edit::setText(const QString& text) {
    // Raised before the text goes in, so that the box judges it valid: Qt
    // lets every edit through while the text fails its validator.
    if (m_lengths)
        m_lengths->settle(int(text.size()));
    QLineEdit::setText(text);
    settleLength();
}

void Edit::settleLength() {
    if (m_lengths)
        m_lengths->settle(int(text().size()));
}

} // namespace widgets
