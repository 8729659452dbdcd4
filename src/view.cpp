#include "view.h"

#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

#include "joystick.h"
#include "taskmain.h"
#include "taskmanager.h"

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
    TaskManager *manager = TaskManager::inst();
    manager->addTask(new taskMain());
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
        Joystick::inst()->pool();
        TaskManager::inst()->oneFrame();
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
        painter->setClipRect(picture);
        painter->translate(picture.topLeft());
        painter->scale(picture.width() / 640.0, picture.height() / 480.0);
        // Whole factors keep each game pixel a crisp square; a shrunk picture is smoothed.
        painter->setRenderHint(QPainter::SmoothPixmapTransform, picture.width() < 640);
    }
    TaskManager::inst()->render(painter);
    if (!hideDebugLine)
        renderDebug(painter);
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
