#include "lang/WordCursor.h"

namespace lang {

const QString WordCursor::continuationKey = QStringLiteral("\"");
const QString WordCursor::hintKey = QStringLiteral("\".Hint");
const QString WordCursor::formKey = QStringLiteral("%Form%");

WordCursor::WordCursor(const QStringList& words, int languages, int active, int defaultLanguage,
                       bool defaultEnabled)
    : words_(words), languages_(languages), active_(active), default_(defaultLanguage),
      defaultEnabled_(defaultEnabled) {}

QString WordCursor::cell(int index) const {
    if (index < 0 || index >= words_.size())
        throw WordTableError("word table cell out of range");
    return words_[index];
}

QString WordCursor::key() const {
    return cell(pos_);
}

QString WordCursor::effectiveText(int entry) const {
    QString text = cell(entry + active_ + 1);
    if (text.isEmpty() && defaultEnabled_)
        text = cell(entry + default_ + 1);
    return text;
}

bool WordCursor::canTake() const {
    return pos_ + active_ + 1 < words_.size();
}

bool WordCursor::take(QString* text) {
    if (!canTake())
        return false;
    const QString read = effectiveText(pos_);
    if (text)
        *text = read;
    pos_ += languages_ + 1;
    took_ = true;
    return true;
}

bool WordCursor::atContinuation() const {
    return canTake() && words_[pos_] == continuationKey;
}

bool WordCursor::atHint() const {
    return !atEnd() && words_[pos_].compare(hintKey, Qt::CaseInsensitive) == 0;
}

void WordCursor::passOver() {
    pos_ += languages_ + 1;
}

} // namespace lang
