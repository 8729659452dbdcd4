#ifndef PAINTRECORDER_H
#define PAINTRECORDER_H

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPixmap>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>

// One drawPixmap call of a frame, as the painter handed it to its engine.
struct SpriteCall {
    QRectF target;
    QRectF source;
    QPixmap pixmap; // a shared copy of the sheet: no pixels are copied
};

// One drawText call of a frame.
struct TextCall {
    QPointF baseline;
    QString text;
};

// What a frame's paint drew, without drawing it.
struct FrameRecord {
    QVector<SpriteCall> sprites;
    QVector<TextCall> texts;
    int fills = 0; // rectangle fills (the starfield's black screen)

    void clear()
    {
        sprites.clear();
        texts.clear();
        fills = 0;
    }
};

// A 640x480 paint device that draws nothing and records the sprite and text
// calls, so the bench can replay exactly the same drawing without the game.
class PaintRecorder : public QPaintDevice {
public:
    PaintRecorder();
    ~PaintRecorder() override;

    QPaintEngine *paintEngine() const override;

    FrameRecord record;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    class Engine;
    Engine *engine;
};

#endif
