#include "replay/framepictures.h"

#include <QPainter>

#include "view.h"

int FramePictures::fpsAt(int frame)
{
    const qint64 paintedAt = 16 * (qint64(frame) + 1);
    // A sampling tick due at the same millisecond as a frame comes after it:
    // the frame timer was started first.
    const qint64 seconds = (paintedAt - 1) / 1000;
    if (seconds == 0)
        return 0;
    return int(1000 * seconds / 16 - 1000 * (seconds - 1) / 16);
}

bool FramePictures::wanted(int frame) const
{
    if (every > 0 && frame % every == 0)
        return true;
    for (const Range &range : ranges) {
        if (frame >= range.first && frame <= range.last)
            return true;
    }
    return false;
}

QString FramePictures::fileName(const QString &dir, int frame)
{
    return QStringLiteral("%1/frame-%2.png").arg(dir).arg(frame, 6, 10, QLatin1Char('0'));
}

QImage FramePictures::paint(View &view, int frame)
{
    view.fps = fpsAt(frame);
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image);
    return image.convertToFormat(QImage::Format_RGB32);
}
