// zylicon: writes the program's icon (the logo the windows show) as PNG files of the given
// sizes, at build time, so the installed icon is the same picture as the window icon.
//
//   zylicon OUTPUT-DIR SIZE...      writes OUTPUT-DIR/<SIZE>.png
#include "Artwork.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fputs("usage: zylicon OUTPUT-DIR SIZE...\n", stderr);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 8 || size > 1024) {
            std::fprintf(stderr, "zylicon: not a size: %s\n", argv[i]);
            return 2;
        }
        const QImage image = Artwork::logo(size);
        const QString path = QStringLiteral("%1/%2.png").arg(dir).arg(size);
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "zylicon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
