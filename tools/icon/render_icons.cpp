// Draws the program icon into the desktop's icon files:
//   quillard-render-icons DIR SIZE...
// writes DIR/SIZExSIZE/apps/quillard.png for each size, from the same drawing
// as the window's own icon.
#include <QDir>
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "program_icon_drawing.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: quillard-render-icons DIR SIZE...\n");
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString folder =
            QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (size < 1 || !QDir().mkpath(folder) ||
            !DrawProgramIcon(size).save(folder + QStringLiteral("/quillard.png"), "PNG")) {
            std::fprintf(stderr, "quillard-render-icons: cannot write the %s-pixel icon\n",
                         argv[i]);
            return 1;
        }
    }
    return 0;
}
