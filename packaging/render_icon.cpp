// Writes the program icon at one size as a PNG, for the icon theme of the
// installed program: kv_render_icon SIZE FILE.

#include "about/ProgramIcon.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "Usage: kv_render_icon SIZE FILE\n");
        return 2;
    }
    const int size = QByteArray(argv[1]).toInt();
    if (size <= 0 || !ProgramIcon::picture(size).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "kv_render_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
