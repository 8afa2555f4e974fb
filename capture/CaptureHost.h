#pragma once

namespace capture {

class CodeText;

// What capture needs of the main window beyond the store: whether code
// generation is on (the checked "Generate code" menu item) and the code text
// the generated blocks go to (the code window's memo).
class CaptureHost {
public:
    virtual ~CaptureHost() = default;
    virtual bool codeGenerationOn() const = 0;
    virtual CodeText& codeText() = 0;
};

} // namespace capture
