#include "x11window.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <X11/Xlib.h>
#include <functional>

namespace X11Window {

QImage grab(unsigned long windowId)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QImage();
    return screen->grabWindow(windowId).toImage();
}

bool requestClose(unsigned long windowId)
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = windowId;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, windowId, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return sent != 0;
}

namespace {

const int kBaseX = 32;
const int kBaseY = 32;

// The dark glyph pixels of the line's box; the line is dark text on the light
// background brush of the window's palette.
QVector<bool> ink(const QImage &image, const QRect &box)
{
    QVector<bool> mask;
    mask.reserve(box.width() * box.height());
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            mask.append(image.valid(x, y) && qGray(image.pixel(x, y)) < 128);
    return mask;
}

// An image whose text is laid out at the screen's resolution, as in the game's
// window, whatever a QImage or an application attribute would default to.
QImage canvasAtScreenResolution(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    return image;
}

QImage drawLine(const QString &text, const QSize &size, const QColor &background)
{
    QImage image = canvasAtScreenResolution(size);
    image.fill(Qt::black);
    // As the game draws it: black text on an opaque box of the palette's
    // background, so that the glyphs' smoothed edges come out the same.
    QPainter painter(&image);
    painter.setPen(Qt::black);
    painter.setBackground(background);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.drawText(QPointF(kBaseX, kBaseY), text);
    return image;
}

int mismatch(const QVector<bool> &a, const QVector<bool> &b)
{
    int count = 0;
    for (int i = 0; i < a.size(); ++i)
        count += a.at(i) != b.at(i);
    return count;
}

QString lineText(const QString &fps, const QString &tasks)
{
    return QStringLiteral("%1 fps / %2 tasks").arg(fps, tasks);
}

int advance(const QFontMetrics &metrics, const QString &text)
{
#if QT_VERSION >= QT_VERSION_CHECK(5, 11, 0)
    return metrics.horizontalAdvance(text);
#else
    return metrics.width(text);
#endif
}

// Gives each digit of `text`, left to right, the value that costs least
// (digits do not overlap); returns the cost of the text so settled.
int settleDigits(QString &text, const std::function<int(const QString &)> &cost)
{
    int textCost = -1;
    for (int i = 0; i < text.size(); ++i) {
        if (!text.at(i).isDigit())
            continue;
        QChar bestDigit = text.at(i);
        for (char d = '0'; d <= '9'; ++d) {
            text[i] = QLatin1Char(d);
            const int c = cost(text);
            if (textCost < 0 || c < textCost) {
                textCost = c;
                bestDigit = text.at(i);
            }
        }
        text[i] = bestDigit;
    }
    return textCost;
}

} // namespace

DebugLine readDebugLine(const QImage &window)
{
    DebugLine result;
    const QImage device = canvasAtScreenResolution(QSize(1, 1));
    const QFontMetrics metrics(QGuiApplication::font(), &device);
    const int top = kBaseY - metrics.ascent();
    // The line is drawn on an opaque light background exactly as wide as the
    // text. A tall glyph may reach its top row and a descender its bottom row,
    // but never both in one column: either row being light tells the width.
    const int bottom = top + metrics.height() - 1;
    auto light = [&](int x, int y) {
        return window.valid(x, y) && qGray(window.pixel(x, y)) >= 200;
    };
    int width = 0;
    while (light(kBaseX + width, top) || light(kBaseX + width, bottom))
        ++width;
    if (width < 10)
        return result;
    const QRect box(kBaseX, top, width, metrics.height());
    // Candidates are drawn on a canvas just large enough for the box.
    const QSize canvas(box.right() + 16, box.bottom() + 16);
    const QColor background = window.pixel(kBaseX, light(kBaseX, top) ? top : bottom);
    const QVector<bool> seen = ink(window, box);
    auto cost = [&](const QString &text) {
        return mismatch(seen, ink(drawLine(text, canvas, background), box));
    };

    // Try every digit count that gives the measured width, then settle each
    // digit on its own, left to right (digits do not overlap).
    int best = -1;
    QString bestText;
    for (int fpsDigits = 1; fpsDigits <= 4; ++fpsDigits) {
        for (int taskDigits = 1; taskDigits <= 7; ++taskDigits) {
            QString text = lineText(QString(fpsDigits, QLatin1Char('1')),
                                    QString(taskDigits, QLatin1Char('1')));
            if (qAbs(advance(metrics, text) - width) > 1)
                continue;
            const int textCost = settleDigits(text, cost);
            if (best < 0 || textCost < best) {
                best = textCost;
                bestText = text;
            }
        }
    }
    // A picture whose line cannot be matched closely is not read at all.
    if (best < 0 || best * 20 > seen.count(true))
        return result;
    const QStringList words = bestText.split(QLatin1Char(' '));
    result.found = true;
    result.fps = words.value(0).toInt();
    result.tasks = words.value(3).toInt();
    return result;
}

} // namespace X11Window
