// Draws the game's sprite sheet: every sprite at the place in the sheet where the tasks look for
// it.
//
// Usage: shmup-makesheet [output.png]   (default img/edge1.png)

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

#include "spritedrawings.h"
#include "spritesheet.h"

int main(int argc, char *argv[])
{
    // Nothing is shown on screen, so a display is not needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : SpriteSheet::file();

    QImage sheet(SpriteSheet::kSize, QImage::Format_ARGB32);
    sheet.fill(Qt::transparent);
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const SpriteDrawing &sprite : spriteDrawings()) {
        painter.save();
        // A sprite's glow or outline must never bleed into its neighbour.
        painter.setClipRect(sprite.first);
        painter.translate(sprite.first.topLeft());
        sprite.second(painter);
        painter.restore();
    }
    painter.end();

    if (!sheet.save(path)) {
        std::fprintf(stderr, "shmup-makesheet: cannot write \"%s\"\n", qPrintable(path));
        return 1;
    }
    std::printf("Wrote %s (%dx%d)\n", qPrintable(path), sheet.width(), sheet.height());
    return 0;
}
