#include "present/glpicture.h"

#include <QEvent>
#include <QPainter>

#include "present/presentation.h"
#include "present/scaleduppicture.h"
#include "screen.h"
#include "view.h"

GlPicture::GlPicture(View *view)
    : QOpenGLWidget(view), view(view), frame(screenSize(), QImage::Format_RGB32)
{
    frame.fill(Qt::black);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // It covers the view, so the view's own paint (and on eglfs the upload of
    // its screen-sized backing store) is left out.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(view->rect());
    view->installEventFilter(this);
    view->pictureWidget = this;
}

GlPicture::~GlPicture()
{
    makeCurrent();
    glDeleteTextures(1, &texture);
    blitter.destroy();
    doneCurrent();
}

bool GlPicture::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == view && event->type() == QEvent::Resize)
        setGeometry(view->rect());
    return QOpenGLWidget::eventFilter(watched, event);
}

void GlPicture::initializeGL()
{
    initializeOpenGLFunctions();
    blitter.create();
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kScreenWidth, kScreenHeight, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
}

void GlPicture::paintGL()
{
    // Paused, the last picture stands, with the pause drawn over a copy of it.
    QImage paused;
    if (view->isPaused()) {
        paused = frame;
        QPainter painter(&paused);
        view->renderPaused(&painter);
    } else {
        QPainter painter(&frame);
        ScaledUpPicture::paintGame(&painter, *view);
        if (!view->hideDebugLine)
            view->renderDebug(&painter);
    }
    const QImage &shown = view->isPaused() ? paused : frame;
    const QRect picture = Presentation::placePicture(size());
    // Whole factors keep each game pixel a crisp square; a shrunk picture is smoothed.
    const GLint filter = picture.width() < kScreenWidth ? GL_LINEAR : GL_NEAREST;
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    // RGB32 is B, G, R, A in memory: uploaded as RGBA, the blitter swaps red and blue back.
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kScreenWidth, kScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                    shown.constBits());

    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const qreal ratio = devicePixelRatioF();
    const QRectF target(QPointF(picture.topLeft()) * ratio, QSizeF(picture.size()) * ratio);
    blitter.bind();
    blitter.setRedBlueSwizzle(true);
    blitter.blit(texture,
                 QOpenGLTextureBlitter::targetTransform(target, QRect(QPoint(), size() * ratio)),
                 QOpenGLTextureBlitter::OriginTopLeft);
    blitter.release();
}
