#pragma once

#include <QIcon>

// The pictures of the main window's toolbar, painted in code so that they stay
// sharp and consistent: 20 by 20 pixels, a dark outline, flat colours, one
// accent per command (green adds, red removes, blue shows). The glyphs of New
// and Quit carry a drawn second state for the disabled button; the others let
// the style grey them.
class ToolbarGlyphs {
public:
    static constexpr int Size = 20;

    static QIcon newDictionary();    // a blank page with a folded corner and a star
    static QIcon openDictionary();   // an open folder
    static QIcon deleteDictionary(); // a page crossed out in red
    static QIcon print();            // a printer with a sheet
    static QIcon addTable();         // a grid with a green plus
    static QIcon deleteTable();      // a grid with a red minus
    static QIcon viewCode();         // a page with braces
    static QIcon deleteField();      // a single column with a red minus
    static QIcon quit();             // an open door with an arrow
};
