#include "taskbg.h"

#include <QPainter>
#include <cstdlib>

#include "rounding.h"
#include "taskmanager.h"
#include "texture.h"

Star::Star()
{
    // Drawn into named values so that x, y and the speed take rand() in that order.
    const int x = rand() % 1280 - 320;
    const int y = rand() % 480;
    pos = PointF(float(x), float(y));
    const int speed = rand() % 4 + 1;
    velocity = PointF(0.0f, float(speed));
}

taskBG::taskBG(int tag) : Task(tag)
{
    stars.resize(100);
}

void taskBG::oneFrame()
{
    for (Star &star : stars) {
        star.pos += star.velocity;
        if (star.pos.y > 480.0f) {
            star.pos.y = 0.0f;
            star.pos.x = float(rand() % 1280 - 320);
        }
    }
}

void taskBG::render(QPainter *painter)
{
    painter->setBrush(QBrush(Qt::black, Qt::SolidPattern));
    painter->drawRect(QRect(0, 0, 640, 480));
    Texture *texture = Texture::inst();
    const QString sheet = QStringLiteral("MAIN");
    for (const Star &star : std::as_const(stars)) {
        QPoint point = roundedPoint(star.pos);
        const float shipX = TaskManager::inst()->getMyShipPos().x;
        // Truncated toward zero, not rounded: -10.7 draws at -10.
        point.setX(int(float(point.x()) + (640.0f - shipX) * star.velocity.y / 10.0f));
        texture->putSprite(sheet, painter, point, QPoint(0, 32), QSize(16, 16));
    }
}
