#pragma once

#include <QByteArray>
#include <QStringList>

namespace capture {

// The code text as a file for the target IDE holds it, whoever saves it (the code
// window or the command-line tool): every line ended by carriage return and line
// feed, in Windows-1252 when that character set holds the whole text. Text it
// cannot hold (a field name in another script, anything typed or pasted in the
// window) is written in UTF-8 behind a byte-order mark, which the IDE also reads,
// rather than altered.
class CodeFileBytes {
public:
    static QByteArray encode(const QStringList& lines);
};

} // namespace capture
