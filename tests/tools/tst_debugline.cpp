#include <QtTest>

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "x11window.h"

// The reader behind `shmup-window debug-line`, which the headless demo and the
// end-to-end tests use to read the frame rate off a picture of the window.
class TestDebugLine : public QObject {
    Q_OBJECT

private slots:
    void readsEveryLine();
    void picturesWithoutTheLine();
};

namespace {
// A picture of the window: black, a few stars and a sprite-sized patch near the
// line, then the line drawn as the game draws it.
QImage windowPicture(const QString &text)
{
    QImage picture(640, 480, QImage::Format_RGB32);
    const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
    picture.setDotsPerMeterX(qRound(dpi / 0.0254));
    picture.setDotsPerMeterY(qRound(dpi / 0.0254));
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.fillRect(QRect(20, 10, 2, 2), Qt::white);
    painter.fillRect(QRect(200, 20, 3, 3), Qt::white);
    painter.fillRect(QRect(150, 5, 32, 32), QColor(90, 90, 200));
    if (!text.isEmpty()) {
        painter.setPen(QColor(Qt::black));
        painter.setBackground(QColor(239, 239, 239));
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.drawText(QPointF(32.0, 32.0), text);
    }
    return picture;
}
} // namespace

void TestDebugLine::readsEveryLine()
{
    // Every digit in every place, one to three digits of frame rate and one to
    // four of tasks: glyphs that reach the box's top or bottom row among them.
    int misread = 0;
    QString first;
    for (int fps = 0; fps <= 70; ++fps) {
        for (int tasks : {0, 3, 14, 42, 59, 84, 91, 140, 267, 1000, 3856}) {
            const X11Window::DebugLine line = X11Window::readDebugLine(
                windowPicture(QStringLiteral("%1 fps / %2 tasks").arg(fps).arg(tasks)));
            if (!line.found || line.fps != fps || line.tasks != tasks) {
                if (first.isEmpty())
                    first = QStringLiteral("%1/%2 read as %3 %4/%5")
                                .arg(fps)
                                .arg(tasks)
                                .arg(line.found)
                                .arg(line.fps)
                                .arg(line.tasks);
                ++misread;
            }
        }
    }
    QVERIFY2(misread == 0,
             qPrintable(QStringLiteral("%1 misread, first %2").arg(misread).arg(first)));
}

void TestDebugLine::picturesWithoutTheLine()
{
    QVERIFY(!X11Window::readDebugLine(windowPicture(QString())).found);
    QVERIFY(!X11Window::readDebugLine(QImage()).found);
    QImage white(640, 480, QImage::Format_RGB32);
    white.fill(Qt::white);
    QVERIFY(!X11Window::readDebugLine(white).found);
    // Other words in the line's place are not taken for numbers.
    QVERIFY(!X11Window::readDebugLine(windowPicture(QStringLiteral("paused, press fire"))).found);
}

QTEST_MAIN(TestDebugLine)
#include "tst_debugline.moc"
