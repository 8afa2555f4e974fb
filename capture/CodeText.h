#pragma once

#include <QString>
#include <QStringList>

namespace capture {

// The text that the generator appends to: the code window's memo in the
// program, a plain list of lines in the command-line tool and in tests.
// Lines never hold their line break; an empty line is an empty string.
class CodeText {
public:
    virtual ~CodeText() = default;
    virtual void appendLine(const QString& line) = 0;
    virtual int lineCount() const = 0;
    // The title of whatever shows the text (the code window's caption).
    virtual void setTitle(const QString& title) = 0;
};

// The plain list of lines.
class CodeLines : public CodeText {
public:
    void appendLine(const QString& line) override { m_lines.append(line); }
    int lineCount() const override { return int(m_lines.size()); }
    void setTitle(const QString& title) override { m_title = title; }

    const QStringList& lines() const { return m_lines; }
    const QString& title() const { return m_title; }
    // The text as a file holds it: every line ended by CR LF.
    QString toCrLfText() const;
    // Moves every line to the end of another text, leaving this one empty.
    void moveTo(CodeText& target);

private:
    QStringList m_lines;
    QString m_title;
};

} // namespace capture
