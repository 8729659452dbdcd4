#ifndef GLPICTURE_H
#define GLPICTURE_H

#include <QImage>
#include <QOpenGLFunctions>
#include <QOpenGLTextureBlitter>
#include <QOpenGLWidget>

#include "screen.h"

class View;

// The game's picture drawn by OpenGL over the whole view: painted at 1x as the
// window paints it (the debug line in it), uploaded once per picture, scaled
// by the GPU (crisp at whole factors, smoothed when shrunk) and centred on
// black. Pointer and touch go through it to the view, as before. It lives as
// long as the view, whose frames repaint it.
class GlPicture : public QOpenGLWidget, protected QOpenGLFunctions {
    Q_OBJECT

public:
    // What a picture uploads: the 640x480 frame, 4 bytes a pixel.
    static constexpr int kBytesPerPicture = kScreenWidth * kScreenHeight * 4;

    explicit GlPicture(View *view);
    ~GlPicture() override;

    bool eventFilter(QObject *watched, QEvent *event) override;

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    View *view;
    QImage frame;
    QOpenGLTextureBlitter blitter;
    GLuint texture = 0;
};

#endif
