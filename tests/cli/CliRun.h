#pragma once
// Runs korvanta-cli as a real process and keeps what it printed; what a terminal
// would obey in it.

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace clirun {

struct Run {
    int status = -1;
    QByteArray out, err;
    QList<QByteArray> lines() const {
        QList<QByteArray> l = out.split('\n');
        if (!l.isEmpty() && l.last().isEmpty())
            l.removeLast();
        return l;
    }
};

inline Run cli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(KV_CLI_PATH), args);
    p.waitForFinished(120000);
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

inline bool isUtf8(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

// Every byte below 0x20 but the line feed and the tab, DEL, and the C1 controls
// (U+0080..U+009F, C2 80..C2 9F in UTF-8) found in the text.
inline QByteArray rawControls(const QByteArray& text, bool tabAllowed = true) {
    QByteArray found;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        const bool c1 = c == 0xC2 && next >= 0x80 && next < 0xA0;
        if ((c < 0x20 && c != '\n' && !(tabAllowed && c == '\t')) || c == 0x7F || c1)
            found += QByteArray::number(c, 16) + ' ';
    }
    return found;
}

} // namespace clirun
