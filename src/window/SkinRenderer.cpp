// Draws the main window's skin for ordinary screens and stores it for the
// player to read back at start: SkinRenderer OUTFILE. It runs at build time,
// offscreen, with the fonts the player would find on the same machine.

#include "window/SkinPictures.h"

#include <QGuiApplication>
#include <QSaveFile>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTFILE\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QSaveFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly) || !SkinPictures(1.0).save(out) || !out.commit()) {
        std::fprintf(stderr, "%s: cannot write %s: %s\n", argv[0], argv[1], qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
