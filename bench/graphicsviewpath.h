#ifndef GRAPHICSVIEWPATH_H
#define GRAPHICSVIEWPATH_H

#include <QGraphicsScene>
#include <QHash>
#include <QPixmap>
#include <QVector>

#include "paintrecorder.h"

class QGraphicsPixmapItem;
class QImage;
class DebugLineItem;

// The frame drawn the way a Qt user would pick: a QGraphicsScene holding one
// pixmap item per sprite, moved to the frame's places before each render.
class GraphicsViewPath {
public:
    GraphicsViewPath();
    ~GraphicsViewPath();
    GraphicsViewPath(const GraphicsViewPath &) = delete;
    GraphicsViewPath &operator=(const GraphicsViewPath &) = delete;

    // Brings the items to the recorded frame: one item per sprite call in
    // drawing order, positions and cells updated, spare items hidden.
    void sync(const FrameRecord &record);
    void render(QImage *surface);
    // Drops every item (between scenes).
    void clear();

    QGraphicsScene scene;
    QVector<QGraphicsPixmapItem *> items;
    DebugLineItem *debugLine;
    // Sprite cells cut from the sheet once, keyed by their source rectangle.
    QHash<quint64, QPixmap> cells;

private:
    const QPixmap &cell(const SpriteCall &call);
};

#endif
