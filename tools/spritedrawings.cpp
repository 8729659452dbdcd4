// The sprites of the game's sheet, drawn with antialiased paths and gradients.

#include "spritedrawings.h"

#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QRect>
#include <QVector>
#include <QtMath>

#include <functional>

#include "spritesheet.h"

namespace {

// A left-right symmetric outline from its right half, listed top to bottom.
QPolygonF mirrored(const QVector<QPointF> &rightHalf, qreal centreX)
{
    QPolygonF polygon(rightHalf);
    for (int i = rightHalf.size() - 1; i >= 0; --i)
        polygon << QPointF(2 * centreX - rightHalf[i].x(), rightHalf[i].y());
    return polygon;
}

QPen outline(const QColor &colour, qreal width = 1.0)
{
    QPen pen(colour, width);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void style(QPainter &p, const QPen &pen, const QBrush &brush)
{
    p.setPen(pen);
    p.setBrush(brush);
}

// A soft round glow: opaque colour at the centre, fully transparent at the radius.
void glow(QPainter &p, QPointF centre, qreal radius, const QColor &inner, const QColor &outer)
{
    QRadialGradient g(centre, radius);
    QColor clear = outer;
    clear.setAlpha(0);
    g.setStops({{0.0, inner}, {0.45, outer}, {1.0, clear}});
    style(p, Qt::NoPen, g);
    p.drawEllipse(centre, radius, radius);
}

void drawShot(QPainter &p)
{
    glow(p, QPointF(16, 16), 11, QColor(120, 230, 255, 150), QColor(40, 140, 255, 60));
    QLinearGradient body(0, 4, 0, 28);
    body.setStops({{0.0, QColor(255, 255, 255)},
                   {0.6, QColor(140, 240, 255)},
                   {1.0, QColor(40, 150, 255, 180)}});
    style(p, Qt::NoPen, body);
    p.drawRoundedRect(QRectF(13.5, 4, 5, 24), 2.5, 2.5);
    p.setBrush(QColor(255, 255, 255));
    p.drawRoundedRect(QRectF(15, 5, 2, 16), 1, 1);
}

void drawShip(QPainter &p)
{
    // Engine flame behind the hull, pointing down.
    glow(p, QPointF(16, 29.5), 4, QColor(255, 250, 200), QColor(255, 140, 20, 220));

    const QPolygonF wings = mirrored({{17, 12}, {29, 23}, {29, 27}, {18, 25}}, 16);
    QLinearGradient wingFill(0, 12, 0, 27);
    wingFill.setStops({{0.0, QColor(90, 160, 255)}, {1.0, QColor(30, 70, 190)}});
    style(p, outline(QColor(20, 40, 110)), wingFill);
    p.drawPolygon(wings);

    // Red wing-tip stripes.
    style(p, Qt::NoPen, QColor(255, 70, 70));
    p.drawRect(QRectF(26.5, 22.5, 2.5, 4.5));
    p.drawRect(QRectF(3, 22.5, 2.5, 4.5));

    const QPolygonF hull = mirrored({{16, 1.5}, {18, 7}, {19.5, 14}, {20, 24}, {18.5, 28}}, 16);
    QLinearGradient hullFill(12, 0, 20, 0);
    hullFill.setStops({{0.0, QColor(150, 165, 195)},
                       {0.45, QColor(250, 252, 255)},
                       {1.0, QColor(150, 165, 195)}});
    style(p, outline(QColor(60, 70, 100)), hullFill);
    p.drawPolygon(hull);

    QRadialGradient canopy(QPointF(15.5, 11), 3.5);
    canopy.setStops({{0.0, QColor(220, 255, 255)}, {1.0, QColor(0, 150, 220)}});
    style(p, Qt::NoPen, canopy);
    p.drawEllipse(QPointF(16, 12), 1.8, 3.5);
}

void drawStar(QPainter &p)
{
    QRadialGradient g(QPointF(8, 8), 4);
    g.setStops({{0.0, QColor(255, 255, 255)},
                {0.35, QColor(230, 240, 255, 220)},
                {1.0, QColor(170, 200, 255, 0)}});
    style(p, Qt::NoPen, g);
    p.drawEllipse(QPointF(8, 8), 4, 4);
}

void drawAimingEnemy(QPainter &p)
{
    // Side pods first so the body overlaps their inner edge.
    style(p, outline(QColor(90, 0, 0)), QColor(200, 40, 40));
    p.drawEllipse(QPointF(5.5, 12), 3.5, 7);
    p.drawEllipse(QPointF(26.5, 12), 3.5, 7);

    const QPolygonF body = mirrored({{16, 2}, {23, 4}, {27, 11}, {22, 21}, {16, 30.5}}, 16);
    QRadialGradient fill(QPointF(16, 10), 18);
    fill.setStops(
        {{0.0, QColor(255, 110, 90)}, {0.6, QColor(210, 30, 30)}, {1.0, QColor(110, 0, 10)}});
    style(p, outline(QColor(80, 0, 0)), fill);
    p.drawPolygon(body);

    // The eye that tracks the ship.
    glow(p, QPointF(16, 13), 5.5, QColor(255, 255, 190), QColor(255, 200, 0));
    style(p, Qt::NoPen, QColor(255, 255, 255));
    p.drawEllipse(QPointF(16, 13), 1.6, 1.6);
}

void drawEnemyBullet(QPainter &p, int cell)
{
    static const qreal pulse[4] = {0.0, 0.6, 1.0, 0.6};
    const QPointF centre(8, 8);
    glow(p, centre, 6.0 + pulse[cell], QColor(255, 170, 230), QColor(255, 40, 160, 200));

    // A four-pointed sparkle that turns a quarter of its period each cell.
    p.save();
    p.translate(centre);
    p.rotate(22.5 * cell);
    const qreal tip = 4.5 + pulse[cell];
    QPainterPath sparkle;
    sparkle.addPolygon(
        QPolygonF({{0, -tip}, {1, -1}, {tip, 0}, {1, 1}, {0, tip}, {-1, 1}, {-tip, 0}, {-1, -1}}));
    sparkle.closeSubpath();
    style(p, Qt::NoPen, QColor(255, 230, 250, 230));
    p.drawPath(sparkle);
    p.restore();

    style(p, Qt::NoPen, QColor(255, 255, 255));
    p.drawEllipse(centre, 1.8 + 0.3 * pulse[cell], 1.8 + 0.3 * pulse[cell]);
}

// The fireball swells cell by cell while its hot core cools and the whole fades out.
void drawExplosion(QPainter &p, int cell)
{
    static const qreal radius[4] = {6.5, 10.0, 13.0, 15.5};
    static const qreal opacity[4] = {1.0, 1.0, 0.85, 0.6};
    static const QColor core[4] = {QColor(255, 255, 235), QColor(255, 250, 170),
                                   QColor(255, 200, 70), QColor(240, 110, 30)};
    static const QColor rim[4] = {QColor(255, 170, 40), QColor(255, 140, 30), QColor(230, 90, 20),
                                  QColor(170, 45, 15)};
    const QPointF centre(16, 16);
    const qreal r = radius[cell];

    p.setOpacity(opacity[cell]);
    QRadialGradient fire(centre, r);
    fire.setStops({{0.0, core[cell]},
                   {0.5, rim[cell]},
                   {0.8, QColor(rim[cell].red() * 3 / 4, rim[cell].green() / 2, 0, 170)},
                   {1.0, QColor(100, 15, 0, 0)}});
    style(p, Qt::NoPen, fire);
    p.drawEllipse(centre, r, r);

    // Puffs around the rim break the perfect circle; fixed angles keep the sheet reproducible.
    static const qreal puffAngle[5] = {20, 95, 160, 230, 300};
    for (int i = 0; i < 5; ++i) {
        const qreal a = qDegreesToRadians(puffAngle[i] + 25.0 * cell);
        const qreal puffRadius = r * 0.38;
        const QPointF at = centre + QPointF(qCos(a), qSin(a)) * (r - puffRadius - 0.5);
        QColor puffCore = core[cell];
        puffCore.setAlpha(200);
        glow(p, at, puffRadius, puffCore, QColor(rim[cell].red(), rim[cell].green(), 0, 150));
    }
    p.setOpacity(1.0);
}

void drawLargeEnemy(QPainter &p)
{
    // Engines at the rear (top), their glow pointing back up the screen.
    glow(p, QPointF(38, 5), 4.5, QColor(200, 255, 200), QColor(60, 255, 120, 180));
    glow(p, QPointF(58, 5), 4.5, QColor(200, 255, 200), QColor(60, 255, 120, 180));

    const QPolygonF wings =
        mirrored({{54, 14}, {88, 22}, {93, 30}, {92, 38}, {80, 40}, {56, 36}}, 48);
    QLinearGradient wingFill(0, 14, 0, 40);
    wingFill.setStops({{0.0, QColor(120, 150, 60)}, {1.0, QColor(60, 85, 25)}});
    style(p, outline(QColor(25, 40, 10)), wingFill);
    p.drawPolygon(wings);

    // Armour seams on the wings.
    p.setPen(outline(QColor(40, 60, 15), 1.0));
    p.drawLine(QPointF(62, 20), QPointF(88, 28));
    p.drawLine(QPointF(34, 20), QPointF(8, 28));

    // Cannons pointing down at the player.
    style(p, outline(QColor(30, 30, 30)), QColor(130, 130, 120));
    p.drawRect(QRectF(30.5, 34, 4, 22));
    p.drawRect(QRectF(61.5, 34, 4, 22));
    style(p, Qt::NoPen, QColor(255, 120, 30));
    p.drawRect(QRectF(31, 54, 3, 2.5));
    p.drawRect(QRectF(62, 54, 3, 2.5));

    const QPolygonF hull =
        mirrored({{48, 3}, {58, 5}, {63, 14}, {63, 40}, {58, 52}, {52, 59}, {48, 62}}, 48);
    QLinearGradient hullFill(33, 0, 63, 0);
    hullFill.setStops(
        {{0.0, QColor(70, 95, 30)}, {0.5, QColor(160, 190, 80)}, {1.0, QColor(70, 95, 30)}});
    style(p, outline(QColor(25, 40, 10)), hullFill);
    p.drawPolygon(hull);

    // Deck plates and the bridge.
    style(p, outline(QColor(45, 65, 20)), QColor(110, 140, 50));
    p.drawRoundedRect(QRectF(41, 12, 14, 20), 3, 3);
    p.drawLine(QPointF(38, 38), QPointF(58, 38));
    p.drawLine(QPointF(40, 45), QPointF(56, 45));

    glow(p, QPointF(48, 50), 5.5, QColor(255, 255, 200), QColor(255, 40, 20));
    style(p, Qt::NoPen, QColor(255, 80, 50));
    p.drawEllipse(QPointF(86, 32), 1.8, 1.8);
    p.drawEllipse(QPointF(10, 32), 1.8, 1.8);
}

void drawSmallEnemy(QPainter &p)
{
    glow(p, QPointF(32, 6), 6, QColor(255, 230, 255), QColor(220, 80, 255, 180));

    const QPolygonF wings = mirrored({{36, 16}, {60, 10}, {61, 18}, {44, 36}, {36, 44}}, 32);
    QLinearGradient wingFill(0, 10, 0, 44);
    wingFill.setStops({{0.0, QColor(190, 70, 230)}, {1.0, QColor(90, 20, 130)}});
    style(p, outline(QColor(50, 0, 70)), wingFill);
    p.drawPolygon(wings);

    const QPolygonF hull = mirrored({{32, 6}, {38, 10}, {40, 28}, {37, 46}, {32, 60}}, 32);
    QLinearGradient hullFill(24, 0, 40, 0);
    hullFill.setStops(
        {{0.0, QColor(120, 30, 150)}, {0.5, QColor(240, 150, 255)}, {1.0, QColor(120, 30, 150)}});
    style(p, outline(QColor(50, 0, 70)), hullFill);
    p.drawPolygon(hull);

    // Canopy near the nose, which points down at the player.
    QRadialGradient canopy(QPointF(32, 38), 5);
    canopy.setStops({{0.0, QColor(230, 255, 150)}, {1.0, QColor(90, 180, 0)}});
    style(p, outline(QColor(40, 70, 0)), canopy);
    p.drawEllipse(QPointF(32, 38), 3, 6);

    style(p, Qt::NoPen, QColor(255, 240, 80));
    p.drawEllipse(QPointF(57, 14), 1.5, 1.5);
    p.drawEllipse(QPointF(7, 14), 1.5, 1.5);
}

} // namespace

QVector<SpriteDrawing> spriteDrawings()
{
    using namespace SpriteSheet;
    QVector<SpriteDrawing> list = {
        {kPlayerShot, drawShot},
        {kPlayerShip, drawShip},
        {kStar, drawStar},
        {kAimingEnemy, drawAimingEnemy},
        {kLargeEnemy, drawLargeEnemy},
        {kSmallEnemy, drawSmallEnemy},
    };
    for (int cell = 0; cell < kCells; ++cell)
        list.append({kEnemyBullet[cell], [cell](QPainter &p) { drawEnemyBullet(p, cell); }});
    for (int cell = 0; cell < kCells; ++cell)
        list.append({kExplosion[cell], [cell](QPainter &p) { drawExplosion(p, cell); }});
    return list;
}
