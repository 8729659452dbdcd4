#include "taskbg.h"

#include <QPainter>
#include <cstdlib>

#include "rounding.h"
#include "screen.h"
#include "spritesheet.h"
#include "taskmanager.h"
#include "texture.h"

Star::Star()
{
    // Drawn into named values so that x, y and the speed take rand() in that order.
    const int x = rand() % 1280 - 320;
    const int y = rand() % kScreenHeight;
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
        if (star.pos.y > float(kScreenHeight)) {
            star.pos.y = 0.0f;
            star.pos.x = float(rand() % 1280 - 320);
        }
    }
}

namespace {
// Whether drawRect's outline, in the painter's pen, would only draw black over
// the black screen: a plain black pen, and nothing drawn beyond the screen, either
// because the surface ends there or because a clip (the window's picture when it
// is scaled) keeps the painting on the screen.
bool outlineChangesNothing(const QPainter *painter)
{
    const QPen &pen = painter->pen();
    if (pen.style() == Qt::NoPen)
        return true;
    const QPaintDevice *device = painter->device();
    const QTransform::TransformationType transform = painter->transform().type();
    const bool unscaledOnScreen = transform == QTransform::TxNone &&
                                  device->width() <= kScreenWidth &&
                                  device->height() <= kScreenHeight;
    const bool clippedToScreen = transform <= QTransform::TxScale && painter->hasClipping() &&
                                 QRectF(-0.001, -0.001, kScreenWidth + 0.002, kScreenHeight + 0.002)
                                     .contains(painter->clipBoundingRect());
    return pen.brush().style() == Qt::SolidPattern && pen.color().rgb() == qRgb(0, 0, 0) &&
           painter->compositionMode() == QPainter::CompositionMode_SourceOver &&
           (unscaledOnScreen || clippedToScreen);
}
} // namespace

void taskBG::render(QPainter *painter)
{
    painter->setBrush(QBrush(Qt::black, Qt::SolidPattern));
    const QRect screen = screenRect();
    // Stroking the outline costs twice the fill, and in the window's black pen
    // it changes no pixel: then the fill alone.
    if (outlineChangesNothing(painter))
        painter->fillRect(screen, Qt::black);
    else
        painter->drawRect(screen);
    Texture *texture = Texture::inst();
    const QString sheet = SpriteSheet::name();
    for (const Star &star : std::as_const(stars)) {
        QPoint point = roundedPoint(star.pos);
        const float shipX = TaskManager::inst()->getMyShipPos().x;
        // Truncated toward zero, not rounded: -10.7 draws at -10.
        point.setX(int(float(point.x()) + (float(kScreenWidth) - shipX) * star.velocity.y / 10.0f));
        texture->putSprite(sheet, painter, point, SpriteSheet::kStar.topLeft(),
                           SpriteSheet::kStar.size());
    }
}
