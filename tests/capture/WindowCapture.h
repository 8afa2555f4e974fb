#pragma once
// A capture as the main window takes it from the add-tables window: the
// "Generate code" check decides, a refusal goes to a warning box, the code to
// the code text before the commands are refreshed, and the code text's title
// counts its lines whenever code was asked for.

#include "tests/store/StoreTestHost.h"

#include "capture/StructureCapture.h"

inline capture::CaptureResult
captureAsWindow(StoreTestHost& window, capture::StructureCapture& capture, const QString& path) {
    const capture::CaptureOutcome outcome = capture.CaptureTable(
        path, window.generating ? capture::CodeGeneration::On : capture::CodeGeneration::Off);
    if (!outcome.captured()) {
        window.showWarning(outcome.refusal);
    } else {
        for (const QString& line : outcome.code)
            window.code.appendLine(line);
        window.UpdateCommands();
    }
    if (outcome.generating())
        capture::StructureCapture::ShowLineCount(window.code);
    return outcome.result;
}
