#include "framework/dataset/FilterExpression.h"

namespace dataset {

namespace {

// Reads a field name at pos (bare, "quoted" or [bracketed]); advances pos past it.
QString readFieldName(const QString& s, qsizetype& pos) {
    const QChar open = s.at(pos);
    if (open == u'"' || open == u'[') {
        const QChar close = open == u'"' ? u'"' : u']';
        const qsizetype end = s.indexOf(close, pos + 1);
        if (end < 0)
            return {};
        const QString name = s.mid(pos + 1, end - pos - 1).trimmed();
        pos = end + 1;
        return name;
    }
    const qsizetype start = pos;
    while (pos < s.size() && (s.at(pos).isLetterOrNumber() || s.at(pos) == u'_'))
        ++pos;
    return s.mid(start, pos - start);
}

void skipBlanks(const QString& s, qsizetype& pos) {
    while (pos < s.size() && s.at(pos).isSpace())
        ++pos;
}

} // namespace

std::optional<FilterExpression> FilterExpression::parse(const QString& text) {
    qsizetype pos = 0;
    skipBlanks(text, pos);
    if (pos >= text.size())
        return std::nullopt;
    FilterExpression f;
    f.m_field = readFieldName(text, pos);
    if (f.m_field.isEmpty())
        return std::nullopt;
    skipBlanks(text, pos);
    if (pos >= text.size() || text.at(pos) != u'=')
        return std::nullopt;
    ++pos;
    skipBlanks(text, pos);
    const QString rest = text.mid(pos).trimmed();
    if (rest.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        f.m_expected = true;
    else if (rest.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        f.m_expected = false;
    else
        return std::nullopt;
    return f;
}

} // namespace dataset
