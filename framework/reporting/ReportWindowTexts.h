#pragma once

#include <QString>

namespace reporting {

// The captions of the progress and preview windows. The program gives them
// once at start; they do not follow the active language.
struct ReportWindowTexts {
    static QString progressCaption;
    static QString previewCaption;
    // The progress line's start while pages are prepared, and while printed.
    static QString preparingLine;
    static QString printingLine;
};

} // namespace reporting
