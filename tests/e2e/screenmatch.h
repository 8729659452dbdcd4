#ifndef SCREENMATCH_H
#define SCREENMATCH_H

// Finding the game's sprites in a picture of its screen, for the end-to-end
// tests that look at the running game from outside.
#include <QDir>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>

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

// What is wrong with a picture taken after Left and fire were held for about
// 25 frames with the ship waiting at (320, 352), or an empty string. A wrong
// picture is saved as `saveAs` in the temporary folder for a look.
inline QString steeredLeftAndFired(const QImage &picture, const QString &saveAs)
{
    const QString path = QDir::temp().filePath(saveAs);
    // The newest shot is drawn over the ship's middle: look for the rest of it.
    QImage wings = spriteOnBlack(kShipRegion);
    QPainter(&wings).fillRect(QRect(wings.width() / 2 - 5, 0, 10, wings.height()), Qt::black);
    const QList<QPoint> ships = findSprite(picture, wings, QRect(100, 350, 201, 5));
    if (ships.isEmpty() || ships.first().y() != 352) {
        picture.save(path);
        return QStringLiteral("no ship found left of x 300 at y 352 (see %1)").arg(path);
    }
    const QPoint ship = ships.first();

    // Shots leave from the ship every frame and fly up 16 pixels a frame, so a
    // trail of them lies above and to the right of the ship as it moves left.
    // Each newer shot, 16 pixels lower, covers the lower half of the one before.
    QImage shotTop = spriteOnBlack(kShotRegion);
    QPainter(&shotTop).fillRect(QRect(0, 16, shotTop.width(), 16), Qt::black);
    const QList<QPoint> shots =
        findSprite(picture, shotTop, QRect(ship.x(), 16, 320 - ship.x() + 1, 330), 0.75);
    if (shots.size() < 3) {
        picture.save(path);
        return QStringLiteral("%1 shots above the ship, not 3 or more (see %2)")
            .arg(shots.size())
            .arg(path);
    }
    return QString();
}

#endif
