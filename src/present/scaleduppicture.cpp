#include "present/scaleduppicture.h"

#include <QPaintEngine>
#include <QPainter>
#include <QWidget>

#include "screen.h"
#include "taskmanager.h"

#include <algorithm>
#include <cstring>

namespace {
// One row of the frame, each pixel written factor times. Doubling, the common
// case, writes each pixel and its copy in one store of twice the width.
template <typename Pixel, typename Pair>
void widenRow(const Pixel *from, int width, Pixel *to, int factor)
{
    if (factor == 2) {
        for (int x = 0; x < width; ++x) {
            const Pair pair = Pair(from[x]) | Pair(from[x]) << (8 * sizeof(Pixel));
            std::memcpy(to + 2 * x, &pair, sizeof(pair));
        }
        return;
    }
    for (int x = 0; x < width; ++x)
        std::fill_n(to + x * factor, factor, from[x]);
}

// Copies every pixel of the frame into a factor-by-factor block of the image
// at the picture's place: a row of blocks, then that row again.
template <typename Pixel, typename Pair>
void blowUp(const QImage &frame, QImage *image, const QPoint &at, int factor)
{
    const int width = frame.width();
    const int height = frame.height();
    const qsizetype frameStride = frame.bytesPerLine();
    const qsizetype stride = image->bytesPerLine();
    const uchar *source = frame.constBits();
    uchar *target = image->bits() + at.y() * stride + at.x() * qsizetype(sizeof(Pixel));
    for (int y = 0; y < height; ++y) {
        uchar *row = target + qsizetype(y) * factor * stride;
        widenRow<Pixel, Pair>(reinterpret_cast<const Pixel *>(source + y * frameStride), width,
                              reinterpret_cast<Pixel *>(row), factor);
        for (int i = 1; i < factor; ++i)
            std::memcpy(row + i * stride, row, size_t(width) * factor * sizeof(Pixel));
    }
}

// The image the painter paints on, when the frame can be copied straight into
// it with the same pixels as the painter would draw: an image of the frame's
// pixel size, reached by a whole translation, with nothing clipped away and
// plain source-over at full opacity.
QImage *copyTarget(QPainter *painter, const QRect &picture, QPoint *at)
{
    QPaintDevice *device = painter->paintEngine()->paintDevice();
    if (!device || device->devType() != QInternal::Image || painter->opacity() != 1.0 ||
        painter->compositionMode() != QPainter::CompositionMode_SourceOver ||
        painter->hasClipping())
        return nullptr;
    auto *image = static_cast<QImage *>(device);
    const QTransform transform = painter->deviceTransform();
    if (transform.type() > QTransform::TxTranslate || transform.dx() != int(transform.dx()) ||
        transform.dy() != int(transform.dy()))
        return nullptr;
    const QRect onImage = picture.translated(int(transform.dx()), int(transform.dy()));
    const QRegion systemClip = painter->paintEngine()->systemClip();
    if ((image->depth() != 16 && image->depth() != 32) || !image->rect().contains(onImage) ||
        (!systemClip.isEmpty() && !QRegion(onImage).subtracted(systemClip).isEmpty()))
        return nullptr;
    *at = onImage.topLeft();
    return image;
}
} // namespace

void ScaledUpPicture::paint(QPainter *painter, const QRect &picture, int factor,
                            const QWidget &window)
{
    QPoint at;
    QImage *target = copyTarget(painter, picture, &at);
    const QImage::Format format = target ? target->format() : QImage::Format_ARGB32_Premultiplied;
    if (gameFrame.format() != format) {
        gameFrame = QImage(screenSize(), format);
        gameFrame.fill(Qt::black);
    }
    {
        QPainter framePainter(&gameFrame);
        paintGame(&framePainter, window);
    }
    if (target && target->depth() == 32)
        blowUp<quint32, quint64>(gameFrame, target, at, factor);
    else if (target)
        blowUp<quint16, quint32>(gameFrame, target, at, factor);
    else
        painter->drawImage(picture, gameFrame);
}

void ScaledUpPicture::paintGame(QPainter *framePainter, const QWidget &window)
{
    framePainter->setPen(QPen(window.palette().brush(window.foregroundRole()), 1));
    framePainter->setBackground(window.palette().brush(window.backgroundRole()));
    framePainter->setFont(window.font());
    TaskManager::inst()->render(framePainter);
}
