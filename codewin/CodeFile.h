#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The code window's text saved as a file for the target IDE, in the bytes
// capture::CodeFileBytes gives (the command-line tool writes the same ones).
class CodeFile {
public:
    // Writes the lines to `fileName`, exactly as named. The text goes to a
    // temporary file beside it that replaces the file only once it is whole,
    // so a failure (missing directory, read-only file, full disk) leaves any
    // file of that name as it was. A failure raises an error whose text is
    // the file layer's French message with the name.
    static void write(const QString& fileName, const QStringList& lines);

    // "Ne peut créer le fichier " and the name.
    static QString cannotCreateMessage(const QString& fileName);
};
