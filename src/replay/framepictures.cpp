#include "replay/framepictures.h"

#include <QPainter>
#include <QStringList>

#include "view.h"

namespace {

bool parseNumber(const QString &text, int &value)
{
    if (text.isEmpty() || text.size() > 9)
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    value = text.toInt();
    return true;
}

} // namespace

bool FramePictures::parseList(const QString &text, QVector<Range> &ranges, QString &error)
{
    ranges.clear();
    const QStringList items = text.split(QLatin1Char(','));
    for (const QString &item : items) {
        const int dash = item.indexOf(QLatin1Char('-'));
        Range range{0, 0};
        bool ok = false;
        if (dash < 0) {
            ok = parseNumber(item, range.first);
            range.last = range.first;
        } else {
            ok = parseNumber(item.left(dash), range.first) &&
                 parseNumber(item.mid(dash + 1), range.last);
        }
        if (!ok) {
            error = QStringLiteral("\"%1\" in the frame list is not a frame number (0 to "
                                   "999999999) or a range FIRST-LAST")
                        .arg(item.left(24));
            ranges.clear();
            return false;
        }
        if (range.last < range.first) {
            error = QStringLiteral("the range \"%1\" ends before it starts").arg(item);
            ranges.clear();
            return false;
        }
        ranges.append(range);
    }
    return true;
}

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
