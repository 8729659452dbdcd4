#include "view.h"

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
    TaskManager::inst()->render(&painter);
    if (!hideDebugLine)
        renderDebug(&painter);
}

void View::renderDebug(QPainter *painter)
{
    painter->setBackgroundMode(Qt::OpaqueMode);
    painter->drawText(QPointF(32.0, 32.0),
                      tr("%1 fps / %2 tasks").arg(fps).arg(TaskManager::inst()->getTaskCount()));
}
