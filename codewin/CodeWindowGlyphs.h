#pragma once

#include <QIcon>

// The pictures of the code window's two buttons, painted in code in the
// style of the main window's toolbar: 16 by 16 pixels, a dark outline.
class CodeWindowGlyphs {
public:
    static QIcon save(); // a diskette
    static QIcon copy(); // two overlapping pages
};
