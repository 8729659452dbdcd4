#include "present/presentation.h"

#include <QEvent>
#include <QPainter>
#include <QScreen>

#include "present/glpicture.h"
#include "screen.h"
#include "taskmanager.h"
#include "view.h"

Presentation *Presentation::on(View *view)
{
    auto *presentation = view->findChild<Presentation *>(QString(), Qt::FindDirectChildrenOnly);
    return presentation ? presentation : new Presentation(view);
}

Presentation::Presentation(View *view) : QObject(view), view(view) {}

void Presentation::presentOn(const QSize &screen)
{
    view->setMinimumSize(0, 0);
    view->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    view->resize(screen);
    fitPicture();
}

void Presentation::presentScaled(int factor)
{
    view->setFixedSize(kScreenWidth * factor, kScreenHeight * factor);
    fitPicture();
}

void Presentation::fitPicture()
{
    fitsPicture = true;
    view->installEventFilter(this);
    // Every pixel is painted, the border black and the picture from the
    // starfield's black screen up, so Qt need not fill the window's background
    // before each paint: on a large screen that fill costs as much as the
    // starfield's.
    view->setAttribute(Qt::WA_OpaquePaintEvent);
}

void Presentation::showOnWholeScreen()
{
    const QScreen *target = view->screen();
    presentOn(target ? target->size() : view->size());
    // No arrow over the picture: a drag steers from wherever it starts, so
    // the arrow shows nothing the player needs (on linuxfb Qt draws one
    // wherever a mouse is plugged in, and on a touch panel it would stand
    // where the finger last lifted).
    view->setCursor(Qt::BlankCursor);
    view->showFullScreen();
}

void Presentation::showScaled(int factor)
{
    const QScreen *target = view->screen();
    if (target && factor > largestScale(target->size())) {
        const int fits = largestScale(target->size());
        qWarning("shmup: a %dx%d window does not fit the %dx%d screen; using --scale %d",
                 kScreenWidth * factor, kScreenHeight * factor, target->size().width(),
                 target->size().height(), fits);
        factor = fits;
    }
    presentScaled(factor);
    view->show();
}

void Presentation::show(bool wholeScreen, int factor)
{
    if (wholeScreen)
        showOnWholeScreen();
    else if (factor > 0)
        showScaled(factor);
    else
        view->show();
}

void Presentation::drawThroughOpenGl()
{
    new GlPicture(view);
}

QRect Presentation::pictureRect() const
{
    return fitsPicture ? placePicture(view->size()) : screenRect();
}

double Presentation::scaleOf(const QWidget *widget)
{
    const auto *presentation =
        widget ? widget->findChild<Presentation *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    return presentation ? presentation->pictureRect().width() / double(kScreenWidth) : 1.0;
}

int Presentation::largestScale(const QSize &screen)
{
    return qMax(1, qMin(screen.width() / kScreenWidth, screen.height() / kScreenHeight));
}

QRect Presentation::placePicture(const QSize &screen)
{
    const int factor = qMin(screen.width() / kScreenWidth, screen.height() / kScreenHeight);
    QSize size(kScreenWidth * factor, kScreenHeight * factor);
    if (factor < 1) {
        // Shrunk: the side that limits fills the screen, the other follows at 4:3.
        if (screen.width() * kScreenHeight <= screen.height() * kScreenWidth)
            size = QSize(screen.width(), qMax(1, qRound(screen.width() * 0.75)));
        else
            size = QSize(qMax(1, qRound(screen.height() * (4.0 / 3.0))), screen.height());
    }
    return QRect(QPoint((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2),
                 size);
}

bool Presentation::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != view || event->type() != QEvent::Paint)
        return QObject::eventFilter(watched, event);
    // A filter runs inside the view's paint event, so it may paint the view.
    QPainter painter(view);
    paint(&painter);
    return true;
}

void Presentation::paint(QPainter *painter)
{
    const QRect picture = pictureRect();
    if (view->isPaused()) {
        // The view as it stood, black where a resize has uncovered it.
        if (view->still.size() != view->size() * view->still.devicePixelRatio())
            painter->fillRect(view->rect(), Qt::black);
        painter->drawImage(QPoint(), view->still);
        mapInto(painter, picture);
        view->renderPaused(painter);
        return;
    }
    // 0 when the picture is shrunk.
    const int factor = picture.width() / kScreenWidth;
    if (picture != screenRect()) {
        fillAround(painter, view->rect(), picture);
        if (factor >= 2)
            scaledUp.paint(painter, picture, factor, *view);
        mapInto(painter, picture);
    }
    if (factor < 2)
        TaskManager::inst()->render(painter);
    // Through the transform: at a larger size the text is laid out again, crisp.
    if (!view->hideDebugLine)
        view->renderDebug(painter);
}

void Presentation::fillAround(QPainter *painter, const QRect &all, const QRect &picture)
{
    painter->fillRect(QRect(all.left(), all.top(), all.width(), picture.top() - all.top()),
                      Qt::black);
    painter->fillRect(QRect(QPoint(all.left(), picture.bottom() + 1), all.bottomRight()),
                      Qt::black);
    painter->fillRect(
        QRect(all.left(), picture.top(), picture.left() - all.left(), picture.height()), Qt::black);
    painter->fillRect(
        QRect(QPoint(picture.right() + 1, picture.top()), QPoint(all.right(), picture.bottom())),
        Qt::black);
}

void Presentation::mapInto(QPainter *painter, const QRect &picture)
{
    painter->setClipRect(picture);
    painter->translate(picture.topLeft());
    painter->scale(picture.width() / double(kScreenWidth),
                   picture.height() / double(kScreenHeight));
    // Whole factors keep each game pixel a crisp square; a shrunk picture is smoothed.
    painter->setRenderHint(QPainter::SmoothPixmapTransform, picture.width() < kScreenWidth);
}
