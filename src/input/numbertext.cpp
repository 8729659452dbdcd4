#include "input/numbertext.h"

#include <QStringList>
#include <limits>

NumberText::Result NumberText::toInt(const char *begin, const char *end, int &value)
{
    const char *p = begin;
    const bool negative = p < end && *p == '-';
    if (p < end && (*p == '-' || *p == '+'))
        ++p;
    if (p == end)
        return Result::NotInteger;
    // Accumulated in 64 bits and capped, so that no length of digits can overflow.
    const qint64 cap = qint64(std::numeric_limits<int>::max()) + 1;
    qint64 magnitude = 0;
    for (; p < end; ++p) {
        if (*p < '0' || *p > '9')
            return Result::NotInteger;
        if (magnitude <= cap)
            magnitude = magnitude * 10 + (*p - '0');
    }
    const qint64 signedValue = negative ? -magnitude : magnitude;
    if (signedValue < std::numeric_limits<int>::min() ||
        signedValue > std::numeric_limits<int>::max())
        return Result::OutOfRange;
    value = int(signedValue);
    return Result::Ok;
}

bool NumberText::toCount(const char *begin, const char *end, int &value, int maxDigits)
{
    if (begin == end || *begin < '0' || *begin > '9' || (maxDigits > 0 && end - begin > maxDigits))
        return false;
    return toInt(begin, end, value) == Result::Ok;
}

bool NumberText::toCount(const QString &text, int &value, int maxDigits)
{
    // Every character outside Latin-1 becomes '?', which is no digit.
    const QByteArray bytes = text.toLatin1();
    return toCount(bytes.constData(), bytes.constData() + bytes.size(), value, maxDigits);
}

bool NumberText::toSize(const QString &text, QSize &size)
{
    const QStringList parts = text.split(QLatin1Char('x'));
    int width = 0;
    int height = 0;
    if (parts.size() != 2 || !toCount(parts.at(0), width, 5) || !toCount(parts.at(1), height, 5) ||
        width < 1 || height < 1 || width > maxSide || height > maxSide)
        return false;
    size = QSize(width, height);
    return true;
}

bool NumberText::toFrameList(const QString &text, QVector<FrameRange> &ranges, QString &error)
{
    ranges.clear();
    const QStringList items = text.split(QLatin1Char(','));
    for (const QString &item : items) {
        const int dash = item.indexOf(QLatin1Char('-'));
        FrameRange range{0, 0};
        bool ok = false;
        if (dash < 0) {
            ok = toCount(item, range.first, 9);
            range.last = range.first;
        } else {
            ok = toCount(item.left(dash), range.first, 9) &&
                 toCount(item.mid(dash + 1), range.last, 9);
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
