#include "lang/WordCursor.h"

namespace lang {

const QString WordCursor::continuationKey = QStringLiteral("\"");
const QString WordCursor::hintKey = QStringLiteral("\".Hint");
const QString WordCursor::formKey = QStringLiteral("%Form%");

WordCursor::WordCursor(const QStringList& words, int languages, int active, int defaultLanguage,
                       bool defaultEnabled)
    : m_words(words), m_languages(languages), m_active(active), m_default(defaultLanguage),
      m_defaultEnabled(defaultEnabled) {}

QString WordCursor::cell(int index) const {
    if (index < 0 || index >= m_words.size())
        throw WordTableError("word table cell out of range");
    return m_words[index];
}

QString WordCursor::key() const {
    return cell(m_pos);
}

QString WordCursor::effectiveText(int entry) const {
    QString text = cell(entry + m_active + 1);
    if (text.isEmpty() && m_defaultEnabled)
        text = cell(entry + m_default + 1);
    return text;
}

bool WordCursor::canTake() const {
    return m_pos + m_active + 1 < m_words.size();
}

bool WordCursor::take(QString* text) {
    if (!canTake())
        return false;
    const QString read = effectiveText(m_pos);
    if (text)
        *text = read;
    m_pos += m_languages + 1;
    m_took = true;
    return true;
}

bool WordCursor::atContinuation() const {
    return canTake() && m_words[m_pos] == continuationKey;
}

bool WordCursor::atHint() const {
    return !atEnd() && m_words[m_pos].compare(hintKey, Qt::CaseInsensitive) == 0;
}

void WordCursor::passOver() {
    m_pos += m_languages + 1;
}

} // namespace lang
