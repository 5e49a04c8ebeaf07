// Build tool: writes the program's icon as PNG files for the desktop's icon
// theme, from the same images the window uses.
// Usage: write_icon_png SIZE OUTPUT.png

#include "app_icon.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SIZE OUTPUT.png\n", argv[0]);
        return 2;
    }
    const QImage image = pql::iconImage(std::atoi(argv[1]));
    if (image.isNull() || !image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
