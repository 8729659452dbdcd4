// Draws the game's desktop icons from the ship's sprite on the sprite sheet,
// each sheet pixel a square block of screen pixels, so the icons stay as crisp
// as the game draws the ship.
//
// Usage: shmup-makeicon [sheet.png [folder]]   (default img/edge1.png dist/icons)
// writes folder/shmup-SIZE.png for each size (run from the repo root).

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QRect>

#include <cstdio>

#include "spritesheet.h"

namespace {

// Whole multiples of the sprite, so that no pixel is blended with another.
const int kSizes[] = {32, 64, 128, 256};

} // namespace

int main(int argc, char *argv[])
{
    // Nothing is shown on screen, so a display is not needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString sheetPath =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : SpriteSheet::file();
    const QString folder =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("dist/icons");

    const QImage sheet(sheetPath);
    if (sheet.isNull() || !sheet.rect().contains(SpriteSheet::kPlayerShip)) {
        std::fprintf(stderr,
                     "shmup-makeicon: cannot read the ship from \"%s\"; make the sheet with "
                     "shmup-makesheet first\n",
                     qPrintable(sheetPath));
        return 1;
    }
    const QImage ship = sheet.copy(SpriteSheet::kPlayerShip).convertToFormat(QImage::Format_ARGB32);
    for (const int size : kSizes) {
        const QString path = QDir(folder).filePath(QStringLiteral("shmup-%1.png").arg(size));
        QImageWriter writer(path, "png");
        // Qt's quality 0 is zlib's best compression.
        writer.setQuality(0);
        if (!writer.write(ship.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation))) {
            std::fprintf(stderr, "shmup-makeicon: cannot write \"%s\": %s\n", qPrintable(path),
                         qPrintable(writer.errorString()));
            return 1;
        }
        std::printf("Wrote %s (%dx%d)\n", qPrintable(path), size, size);
    }
    return 0;
}
