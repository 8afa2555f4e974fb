#pragma once

#include <QString>
#include <QStringList>

namespace capture {

enum class CaptureResult {
    Captured, // every row written
    NameInUse // refused: the table name is already in the dictionary
};

// Whether a capture also makes the table's creation code.
enum class CodeGeneration { Off, On };

// What one capture did, for whoever asked for it to show: the window in its
// boxes and code window, the command-line tool on its outputs.
struct CaptureOutcome {
    CaptureResult result = CaptureResult::Captured;
    // The text of the refusal, in the words the user is shown.
    QString refusal;
    // Whether code was asked for; `code` holds it then, once the rows are in.
    CodeGeneration generation = CodeGeneration::Off;
    QStringList code;

    bool captured() const { return result == CaptureResult::Captured; }
    bool generating() const { return generation == CodeGeneration::On; }
};

} // namespace capture
