#pragma once

#include <QIcon>
#include <QPixmap>

// The program's own icon, painted in code: a dictionary (a closed book with
// a grid of rows on its cover) on a small table tile. The about box shows
// its 32 by 32 picture in sixteen colours; the windows carry every size.
class ProgramIcon {
public:
    static constexpr int BaseSize = 32;

    // The picture at `size` pixels square.
    static QPixmap picture(int size);
    // The 32 by 32 picture reduced to the sixteen colours of the classic
    // palette, as the about box shows it.
    static QPixmap sixteenColours();
    // 16, 32, 48, 64 and 128 pixels.
    static QIcon icon();
};
