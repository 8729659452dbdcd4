#include "graphicsviewpath.h"

#include <QGraphicsItem>
#include <QGraphicsPixmapItem>
#include <QImage>
#include <QPainter>

// The debug line as an item, drawn like the window draws it: opaque background
// at the recorded baseline.
class DebugLineItem : public QGraphicsItem {
public:
    QRectF boundingRect() const override { return QRectF(0, 0, 640, 48); }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        painter->setBackgroundMode(Qt::OpaqueMode);
        painter->drawText(baseline, text);
    }
    void setLine(const QPointF &point, const QString &line)
    {
        if (point == baseline && line == text)
            return;
        baseline = point;
        text = line;
        update();
    }

    QPointF baseline;
    QString text;
};

GraphicsViewPath::GraphicsViewPath() : debugLine(new DebugLineItem)
{
    // Sprites move every frame: Qt recommends no index for such scenes.
    scene.setItemIndexMethod(QGraphicsScene::NoIndex);
    scene.setSceneRect(0, 0, 640, 480);
    scene.setBackgroundBrush(Qt::black);
    debugLine->setZValue(1);
    scene.addItem(debugLine);
}

GraphicsViewPath::~GraphicsViewPath() = default;

void GraphicsViewPath::clear()
{
    for (QGraphicsPixmapItem *item : std::as_const(items))
        delete item;
    items.clear();
}

const QPixmap &GraphicsViewPath::cell(const SpriteCall &call)
{
    const QRect source = call.source.toRect();
    const quint64 key = (quint64(quint16(source.x())) << 48) |
                        (quint64(quint16(source.y())) << 32) |
                        (quint64(quint16(source.width())) << 16) | quint16(source.height());
    auto it = cells.find(key);
    if (it == cells.end())
        it = cells.insert(key, call.pixmap.copy(source));
    return it.value();
}

void GraphicsViewPath::sync(const FrameRecord &record)
{
    const int count = int(record.sprites.size());
    for (int i = 0; i < count; ++i) {
        const SpriteCall &call = record.sprites.at(i);
        const QPixmap &pixmap = cell(call);
        if (i == items.size()) {
            // Equal z values stack in order of addition, so item i stays the
            // i-th sprite drawn, over the ones before it.
            items.append(scene.addPixmap(pixmap));
        } else {
            QGraphicsPixmapItem *item = items.at(i);
            if (item->pixmap().cacheKey() != pixmap.cacheKey())
                item->setPixmap(pixmap);
            if (!item->isVisible())
                item->setVisible(true);
        }
        items.at(i)->setPos(call.target.topLeft());
    }
    for (int i = count; i < items.size(); ++i) {
        if (items.at(i)->isVisible())
            items.at(i)->setVisible(false);
    }
    if (!record.texts.isEmpty())
        debugLine->setLine(record.texts.constFirst().baseline, record.texts.constFirst().text);
}

void GraphicsViewPath::render(QImage *surface)
{
    QPainter painter(surface);
    const QRectF area(0, 0, 640, 480);
    scene.render(&painter, area, area);
}
