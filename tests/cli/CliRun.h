#pragma once
// Runs korvanta-cli as a real process and keeps what it printed.

#include <QByteArray>
#include <QList>
#include <QProcess>
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

} // namespace clirun
