#include "capture/CodeText.h"

namespace capture {

QString CodeLines::toCrLfText() const {
    QString text;
    for (const QString& line : m_lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return text;
}

void CodeLines::moveTo(CodeText& target) {
    for (const QString& line : std::as_const(m_lines))
        target.appendLine(line);
    m_lines.clear();
}

} // namespace capture
