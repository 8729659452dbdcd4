#ifndef SCREENMATCH_H
#define SCREENMATCH_H

// Finding the game's sprites in a picture of its screen, for the end-to-end
// tests that look at the running game from outside.
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPoint>
#include <QRect>

// The sheet's regions of the sprites looked for on screen.
const QRect kShipRegion(32, 0, 32, 32);
const QRect kShotRegion(0, 0, 32, 32);
const QRect kStarRegion(0, 32, 16, 16);

// A sprite as it looks on the black background: the sheet's region over black.
inline QImage spriteOnBlack(const QRect &region)
{
    static const QImage sheet(QStringLiteral(SHMUP_SOURCE_DIR "/img/edge1.png"));
    QImage sprite(region.size(), QImage::Format_RGB32);
    sprite.fill(Qt::black);
    QPainter painter(&sprite);
    painter.drawImage(QPoint(0, 0), sheet, region);
    return sprite;
}

// The share of the sprite's bright pixels found, within a small tolerance, with
// the sprite's top-left at `at` in the picture.
inline double matchAt(const QImage &picture, const QImage &sprite, const QPoint &at)
{
    int bright = 0;
    int matched = 0;
    for (int y = 0; y < sprite.height(); ++y) {
        for (int x = 0; x < sprite.width(); ++x) {
            const QRgb want = sprite.pixel(x, y);
            if (qGray(want) < 60)
                continue;
            ++bright;
            if (!picture.valid(at.x() + x, at.y() + y))
                continue;
            const QRgb got = picture.pixel(at.x() + x, at.y() + y);
            if (qAbs(qRed(got) - qRed(want)) + qAbs(qGreen(got) - qGreen(want)) +
                    qAbs(qBlue(got) - qBlue(want)) <=
                24)
                ++matched;
        }
    }
    return bright ? double(matched) / bright : 0.0;
}

// Centres where the sprite is found, scanning the rectangle `area` of centres.
inline QList<QPoint> findSprite(const QImage &picture, const QImage &sprite, const QRect &area,
                                double threshold = 0.9)
{
    QList<QPoint> found;
    const QPoint half(sprite.width() / 2, sprite.height() / 2);
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (matchAt(picture, sprite, QPoint(x, y) - half) >= threshold)
                found.append(QPoint(x, y));
    return found;
}

#endif
