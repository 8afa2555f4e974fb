#pragma once

#include <QPlainTextEdit>
#include <QStringList>

namespace widgets {

// A multi-line edit. Its lines are the text split at line breaks; an empty
// memo has no line. Tab leaves it (it does not want tabs).
class Memo : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(QStringList Lines READ lines WRITE setLines)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    Memo(QWidget* parent, const QString& name);

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    QStringList lines() const;
    void setLines(const QStringList& lines);
    int lineCount() const;
    void setLine(int index, const QString& text);
    void addLine(const QString& text);

    void setWordWrap(bool wrap);

private:
    // An empty document cannot tell "no line" from "one empty line"; this
    // remembers that program code made it one empty line.
    bool m_singleEmptyLine = false;
    bool m_settingLines = false;
};

} // namespace widgets
