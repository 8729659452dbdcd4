#include "view.h"

#include <QPaintEngine>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

#include "joystick.h"
#include "taskmain.h"
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

View::View(QWidget *parent) : QWidget(parent)
{
    setFixedSize(640, 480);
    setAutoFillBackground(false);
    frameTimerId = startTimer(16, Qt::PreciseTimer);
    // Precise, as every timer was in Qt 4: a coarse one may tick 5 % late and
    // show 66 frames in its "second".
    fpsTimerId = startTimer(1000, Qt::PreciseTimer);
    fps = 0;
    frameCount = 0;
    startGame();
}

void View::startGame()
{
    TaskManager *manager = TaskManager::inst();
    manager->addTask(new taskMain());
}

void View::stepGame()
{
    Joystick::inst()->pool();
    TaskManager::inst()->oneFrame();
}

View::~View()
{
    killTimer(frameTimerId);
}

void View::timerEvent(QTimerEvent *event)
{
    const int id = event->timerId();
    if (id == fpsTimerId) {
        fps = frameCount;
        frameCount = 0;
    } else if (id == frameTimerId) {
        stepGame();
        if (frameDone)
            frameDone();
        repaint();
        ++frameCount;
    } else {
        QObject::timerEvent(event);
    }
}

void View::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintScreen(&painter);
}

void View::paintScreen(QPainter *painter)
{
    const QRect picture = pictureRect();
    // 0 when the picture is shrunk.
    const int factor = picture.width() / 640;
    if (picture != QRect(0, 0, 640, 480)) {
        // Black around the picture, then the game in its own 640x480
        // coordinates, kept inside the picture.
        const QRect all = rect();
        painter->fillRect(QRect(all.left(), all.top(), all.width(), picture.top() - all.top()),
                          Qt::black);
        painter->fillRect(QRect(QPoint(all.left(), picture.bottom() + 1), all.bottomRight()),
                          Qt::black);
        painter->fillRect(
            QRect(all.left(), picture.top(), picture.left() - all.left(), picture.height()),
            Qt::black);
        painter->fillRect(QRect(QPoint(picture.right() + 1, picture.top()),
                                QPoint(all.right(), picture.bottom())),
                          Qt::black);
        if (factor >= 2)
            paintScaledUp(painter, picture, factor);
        painter->setClipRect(picture);
        painter->translate(picture.topLeft());
        painter->scale(picture.width() / 640.0, picture.height() / 480.0);
        // Whole factors keep each game pixel a crisp square; a shrunk picture is smoothed.
        painter->setRenderHint(QPainter::SmoothPixmapTransform, picture.width() < 640);
    }
    if (factor < 2)
        TaskManager::inst()->render(painter);
    // Through the transform: at a larger size the text is laid out again, crisp.
    if (!hideDebugLine)
        renderDebug(painter);
}

void View::paintScaledUp(QPainter *painter, const QRect &picture, int factor)
{
    QPoint at;
    QImage *target = copyTarget(painter, picture, &at);
    const QImage::Format format = target ? target->format() : QImage::Format_ARGB32_Premultiplied;
    if (gameFrame.format() != format) {
        gameFrame = QImage(640, 480, format);
        gameFrame.fill(Qt::black);
    }
    {
        // Starts as a painter on the window would: its palette's pen and
        // background, its font.
        QPainter framePainter(&gameFrame);
        framePainter.setPen(QPen(palette().brush(foregroundRole()), 1));
        framePainter.setBackground(palette().brush(backgroundRole()));
        framePainter.setFont(font());
        TaskManager::inst()->render(&framePainter);
    }
    if (target && target->depth() == 32)
        blowUp<quint32, quint64>(gameFrame, target, at, factor);
    else if (target)
        blowUp<quint16, quint32>(gameFrame, target, at, factor);
    else
        painter->drawImage(picture, gameFrame);
}

void View::presentOn(const QSize &screen)
{
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(screen);
    fitPicture();
}

void View::presentScaled(int factor)
{
    setFixedSize(640 * factor, 480 * factor);
    fitPicture();
}

void View::fitPicture()
{
    fitsPicture = true;
    // Every pixel is painted, the border black and the picture from the
    // starfield's black screen up, so Qt need not fill the window's background
    // before each paint: on a large screen that fill costs as much as the
    // starfield's.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void View::showOnWholeScreen()
{
    const QScreen *target = screen();
    presentOn(target ? target->size() : size());
    // The game takes no mouse input: no pointer over the picture (on linuxfb
    // Qt draws one wherever a mouse is plugged in).
    setCursor(Qt::BlankCursor);
    showFullScreen();
}

void View::showScaled(int factor)
{
    const QScreen *target = screen();
    if (target && factor > largestScale(target->size())) {
        const int fits = largestScale(target->size());
        qWarning("shmup: a %dx%d window does not fit the %dx%d screen; using --scale %d",
                 640 * factor, 480 * factor, target->size().width(), target->size().height(), fits);
        factor = fits;
    }
    presentScaled(factor);
    show();
}

QRect View::pictureRect() const
{
    return fitsPicture ? placePicture(size()) : QRect(0, 0, 640, 480);
}

int View::largestScale(const QSize &screen)
{
    return qMax(1, qMin(screen.width() / 640, screen.height() / 480));
}

QRect View::placePicture(const QSize &screen)
{
    const int factor = qMin(screen.width() / 640, screen.height() / 480);
    QSize size(640 * factor, 480 * factor);
    if (factor < 1) {
        // Shrunk: the side that limits fills the screen, the other follows at 4:3.
        if (screen.width() * 480 <= screen.height() * 640)
            size = QSize(screen.width(), qMax(1, qRound(screen.width() * 0.75)));
        else
            size = QSize(qMax(1, qRound(screen.height() * (4.0 / 3.0))), screen.height());
    }
    return QRect(QPoint((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2),
                 size);
}

bool View::isFullScreenPlatform(const QString &platformName)
{
    return platformName == QLatin1String("linuxfb") || platformName == QLatin1String("eglfs") ||
           platformName == QLatin1String("vnc");
}

void View::renderDebug(QPainter *painter)
{
    painter->setBackgroundMode(Qt::OpaqueMode);
    painter->drawText(QPointF(32.0, 32.0),
                      tr("%1 fps / %2 tasks").arg(fps).arg(TaskManager::inst()->getTaskCount()));
}
