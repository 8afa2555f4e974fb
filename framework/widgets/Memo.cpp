#include "framework/widgets/Memo.h"

#include "framework/widgets/Component.h"

namespace widgets {

Memo::Memo(QWidget* parent, const QString& name) : QPlainTextEdit(parent) {
    adopt(this, name, parent);
    // Tab moves on to the next control, as in every other control of a
    // window: a keyboard user must be able to leave the memo.
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_settingLines)
            m_singleEmptyLine = false;
    });
}

QStringList Memo::lines() const {
    if (document()->isEmpty())
        return m_singleEmptyLine ? QStringList{QString()} : QStringList{};
    return toPlainText().split(QLatin1Char('\n'));
}

void Memo::setLines(const QStringList& lines) {
    m_settingLines = true;
    setPlainText(lines.join(QLatin1Char('\n')));
    m_settingLines = false;
    m_singleEmptyLine = lines.size() == 1 && lines.first().isEmpty();
}

int Memo::lineCount() const {
    if (document()->isEmpty())
        return m_singleEmptyLine ? 1 : 0;
    return document()->blockCount();
}

void Memo::setLine(int index, const QString& text) {
    QStringList all = lines();
    if (index < 0 || index >= all.size())
        return;
    all[index] = text;
    setLines(all);
}

void Memo::addLine(const QString& text) {
    if (document()->isEmpty()) {
        setLines(m_singleEmptyLine ? QStringList{QString(), text} : QStringList{text});
        return;
    }
    appendPlainText(text);
}

void Memo::setWordWrap(bool wrap) {
    setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

} // namespace widgets
