#include "view.h"

#include <QBackingStore>
#include <QPainter>
#include <QTimerEvent>
#include <cstdlib>

#include "joystick.h"
#include "screen.h"
#include "taskmain.h"
#include "taskmanager.h"

View::View(QWidget *parent) : QWidget(parent)
{
    setFixedSize(kScreenWidth, kScreenHeight);
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

void View::resetGame()
{
    TaskManager::inst()->clear();
    Joystick::inst()->reset();
    // glibc's sequence as an unseeded rand() gives it.
    srand(1);
}

void View::stepGame()
{
    Joystick::inst()->pool();
    TaskManager::inst()->oneFrame();
}

void View::runFrame()
{
    stepGame();
    for (const std::function<void()> &listener : frameDone)
        listener();
}

void View::stopFrameTimer()
{
    killTimer(frameTimerId);
    frameTimerId = 0;
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
        if (paused)
            return;
        runFrame();
        pictureWidget->repaint();
        ++frameCount;
    } else {
        QObject::timerEvent(event);
    }
}

void View::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (paused) {
        painter.drawImage(QPoint(), still);
        renderPaused(&painter);
        return;
    }
    TaskManager::inst()->render(&painter);
    if (!hideDebugLine)
        renderDebug(&painter);
}

void View::setPaused(bool pause)
{
    if (pause == paused)
        return;
    paused = pause;
    if (paused)
        keepStill();
    emit pausedChanged(paused);
    pictureWidget->update();
}

void View::keepStill()
{
    // The backing store's image holds what the window last showed; a window
    // never shown, or one not painted into an image, stands black.
    QBackingStore *store = backingStore();
    QPaintDevice *device = store ? store->paintDevice() : nullptr;
    if (device && device->devType() == QInternal::Image) {
        const auto *image = static_cast<const QImage *>(device);
        const qreal ratio = image->devicePixelRatio();
        const QRect area(mapTo(window(), QPoint()) * ratio, size() * ratio);
        still = image->copy(area);
        still.setDevicePixelRatio(ratio);
    } else {
        still = QImage(size(), QImage::Format_RGB32);
        still.fill(Qt::black);
    }
}

void View::renderPaused(QPainter *painter) const
{
    if (!paused)
        return;
    // A dimmed band across the middle, the word in large white letters on it.
    const QRect band(0, kScreenHeight / 2 - 36, kScreenWidth, 72);
    painter->save();
    painter->fillRect(band, QColor(0, 0, 0, 176));
    QFont font = painter->font();
    font.setPixelSize(44);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 6);
    painter->setFont(font);
    painter->setPen(Qt::white);
    painter->drawText(band, Qt::AlignCenter, tr("PAUSED"));
    painter->restore();
}

void View::renderDebug(QPainter *painter)
{
    painter->setBackgroundMode(Qt::OpaqueMode);
    painter->drawText(QPointF(32.0, 32.0),
                      tr("%1 fps / %2 tasks").arg(fps).arg(TaskManager::inst()->getTaskCount()));
}
