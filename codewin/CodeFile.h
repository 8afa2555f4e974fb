#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The code text as a file for the target IDE: every line ended by carriage
// return and line feed, in Windows-1252 when that character set holds the
// whole text. Text it cannot hold (the code window takes any typed or pasted
// text) is written in UTF-8 behind a byte-order mark, which the IDE also
// reads, rather than altered.
class CodeFile {
public:
    static QByteArray encode(const QStringList& lines);

    // Writes the lines to `fileName`, exactly as named. The text goes to a
    // temporary file beside it that replaces the file only once it is whole,
    // so a failure (missing directory, read-only file, full disk) leaves any
    // file of that name as it was. A failure raises an error whose text is
    // the file layer's French message with the name.
    static void write(const QString& fileName, const QStringList& lines);

    // "Ne peut créer le fichier " and the name.
    static QString cannotCreateMessage(const QString& fileName);
};
