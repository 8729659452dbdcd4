#ifndef SPRITESHEET_H
#define SPRITESHEET_H

#include <QRect>
#include <QSize>
#include <QString>

// The game's one sprite sheet: the name it is registered under, the file it is
// read from, and where on it each sprite lies, in sheet pixels. The tasks draw
// these regions, shmup-makesheet paints them and the tests check them.
namespace SpriteSheet {

inline QString name()
{
    return QStringLiteral("MAIN");
}

// Below the top of the source tree, and of a built or installed game.
inline QString file()
{
    return QStringLiteral("img/edge1.png");
}

// The game runs from bin/, a sibling of img/.
inline QString path()
{
    return QStringLiteral("../") + file();
}

// Four bands of 32 or 64 pixels: shot and ship; star and aiming enemy; the
// animation cells; the two enemy sizes.
constexpr QRect kPlayerShot(0, 0, 32, 32);
constexpr QRect kPlayerShip(32, 0, 32, 32);
constexpr QRect kStar(0, 32, 16, 16);
constexpr QRect kAimingEnemy(128, 32, 32, 32);
constexpr int kCells = 4;
constexpr QRect kEnemyBullet[kCells] = {QRect(0, 64, 16, 16), QRect(16, 64, 16, 16),
                                        QRect(32, 64, 16, 16), QRect(48, 64, 16, 16)};
constexpr QRect kExplosion[kCells] = {QRect(64, 64, 32, 32), QRect(96, 64, 32, 32),
                                      QRect(128, 64, 32, 32), QRect(160, 64, 32, 32)};
constexpr QRect kLargeEnemy(32, 96, 96, 64);
constexpr QRect kSmallEnemy(128, 96, 64, 64);

// The top-left part of the sheet that holds every region.
constexpr QSize kSize(192, 160);

struct Region {
    const char *name;
    QRect rect;
};

// Every region, in the order above.
constexpr Region kRegions[] = {
    {"player shot", kPlayerShot},
    {"player ship", kPlayerShip},
    {"star", kStar},
    {"aiming enemy", kAimingEnemy},
    {"enemy bullet 0", kEnemyBullet[0]},
    {"enemy bullet 1", kEnemyBullet[1]},
    {"enemy bullet 2", kEnemyBullet[2]},
    {"enemy bullet 3", kEnemyBullet[3]},
    {"explosion 0", kExplosion[0]},
    {"explosion 1", kExplosion[1]},
    {"explosion 2", kExplosion[2]},
    {"explosion 3", kExplosion[3]},
    {"large enemy", kLargeEnemy},
    {"small enemy", kSmallEnemy},
};

} // namespace SpriteSheet

#endif
