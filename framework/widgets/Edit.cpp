#include "framework/widgets/Edit.h"

#include "framework/widgets/Component.h"

#include <QValidator>

namespace widgets {

namespace {

// Refuses typing beyond the limit. A validator, unlike the line edit's own
// maximum length, is not applied when program code sets the text, so a long
// text set by code stays whole.
class LengthValidator : public QValidator {
public:
    LengthValidator(int limit, QObject* parent) : QValidator(parent), limit_(limit) {}
    State validate(QString& input, int&) const override {
        return input.size() <= limit_ ? Acceptable : Invalid;
    }

private:
    int limit_;
};

} // namespace

Edit::Edit(QWidget* parent, const QString& name) : QLineEdit(parent) {
    adopt(this, name, parent);
}

void Edit::setMaxLength(int length) {
    maxLength_ = length;
    delete validator();
    setValidator(length > 0 ? new LengthValidator(length, this) : nullptr);
}

} // namespace widgets
