#include "paintrecorder.h"

#include <QTextItem>

// Receives the painter's calls once resolved (negative target sizes already
// replaced by the source size) and keeps the ones the replay needs.
class PaintRecorder::Engine : public QPaintEngine {
public:
    explicit Engine(FrameRecord *record) : QPaintEngine(QPaintEngine::AllFeatures), record(record)
    {
    }

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    Type type() const override { return QPaintEngine::User; }

    void drawPixmap(const QRectF &target, const QPixmap &pixmap, const QRectF &source) override
    {
        record->sprites.append(SpriteCall{target, source, pixmap});
    }
    void drawRects(const QRect *, int count) override { record->fills += count; }
    void drawRects(const QRectF *, int count) override { record->fills += count; }
    void drawTextItem(const QPointF &baseline, const QTextItem &item) override
    {
        record->texts.append(TextCall{baseline, item.text()});
    }
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawPolygon(const QPoint *, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath &) override {}

    FrameRecord *record;
};

PaintRecorder::PaintRecorder() : engine(new Engine(&record)) {}

PaintRecorder::~PaintRecorder()
{
    delete engine;
}

QPaintEngine *PaintRecorder::paintEngine() const
{
    return engine;
}

int PaintRecorder::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return 640;
    case PdmHeight:
        return 480;
    case PdmWidthMM:
        return 169;
    case PdmHeightMM:
        return 127;
    case PdmNumColors:
        return 0;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 96;
    case PdmDevicePixelRatio:
        return 1;
    default:
        return QPaintDevice::metric(metric);
    }
}
