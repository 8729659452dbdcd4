// The real game in a real X server, checked from outside its process: the
// window, what it shows, keys, and closing it as a window manager does.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include "gamerun.h"
#include "screenmatch.h"
#include "x11window.h"

class E2eWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void windowShowsTheGame();
    void keysSteerAndFire();
    void fullScreenOnADesktop();
    void pKeyPausesAndResumes();

private:
    void startGame(const QStringList &arguments);
    QImage grab() const { return X11Window::grab(window); }
    void xdotool(const QStringList &args) const;
    void closeAndCheckExit();

    GameRun game;
    unsigned long window = 0;
    QTemporaryDir scratch;
};

void E2eWindow::init()
{
    QVERIFY2(!qgetenv("DISPLAY").isEmpty(), "run under an X server (tests/e2e/with-xvfb.sh)");
    // The full-screen case opts in as a desktop user would; the rest start it plainly.
    const bool fullScreen = qstrcmp(QTest::currentTestFunction(), "fullScreenOnADesktop") == 0;
    startGame(fullScreen ? QStringList{QStringLiteral("--fullscreen")} : QStringList());
}

void E2eWindow::cleanup()
{
    game.stop();
}

void E2eWindow::startGame(const QStringList &arguments)
{
    QVERIFY2(game.startFromBinDir(arguments), qPrintable(game.errorString()));
    QProcess search;
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--sync"),
                  QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                  QString::number(game.processId())});
    QVERIFY(search.waitForFinished(10000));
    window = search.readAllStandardOutput().split('\n').value(0).toULong();
    QVERIFY2(window != 0, "the game's window did not appear");
}

void E2eWindow::xdotool(const QStringList &args) const
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), args);
    QVERIFY(tool.waitForFinished(5000));
    QCOMPARE(tool.exitCode(), 0);
}

// A close request, as a window manager's close button sends: the game ends
// normally and writes nothing on stderr.
void E2eWindow::closeAndCheckExit()
{
    QVERIFY(X11Window::requestClose(window));
    QVERIFY2(game.waitForFinished(10000), "the game did not exit on a close request");
    QCOMPARE(game.exitStatus(), QProcess::NormalExit);
    QCOMPARE(game.exitCode(), 0);
    QCOMPARE(QString::fromLocal8Bit(game.readAllStandardError()), QString());
}

void E2eWindow::windowShowsTheGame()
{
    // The ship waits at (320, 352) from its 65th frame (about 1.05 s in) until
    // the first enemy reaches it, near frame 178 (2.8 s): look in between.
    game.waitUntil(1900);
    const QImage picture = grab();
    QCOMPARE(picture.size(), QSize(640, 480));

    const QList<QPoint> ships =
        findSprite(picture, spriteOnBlack(kShipRegion), QRect(310, 342, 21, 21));
    QVERIFY2(ships.contains(QPoint(320, 352)), "no ship sprite at (320, 352)");

    // The starfield: many star sprites over the black background.
    const QList<QPoint> stars =
        findSprite(picture, spriteOnBlack(kStarRegion), QRect(8, 60, 624, 412), 0.95);
    QVERIFY2(stars.size() >= 20, qPrintable(QStringLiteral("%1 stars").arg(stars.size())));

    // The debug line, on its light background, reads the frame rate of the last
    // second (62 or 63 at 16 ms a frame; a loaded machine may drop a few).
    const X11Window::DebugLine line = X11Window::readDebugLine(picture);
    QVERIFY2(line.found, "no debug line at the top left");
    QVERIFY2(line.fps >= 45 && line.fps <= 63, qPrintable(QString::number(line.fps)));
    QVERIFY(line.tasks > 3);

    closeAndCheckExit();
}

void E2eWindow::keysSteerAndFire()
{
    game.waitUntil(1300); // the ship is active from about 1.05 s
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window)});
    xdotool({QStringLiteral("keydown"), QStringLiteral("Left"), QStringLiteral("z")});
    QTest::qWait(400); // about 25 frames at 4 pixels a frame
    const QImage picture = grab();
    xdotool({QStringLiteral("keyup"), QStringLiteral("Left"), QStringLiteral("z")});

    const QString wrong = steeredLeftAndFired(picture, QStringLiteral("e2e-keys.png"));
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));

    closeAndCheckExit();
}

// --fullscreen on a desktop: the window covers the screen (Xvfb's 1024x768,
// with no window manager to do it, the game sizes the window itself) and the
// picture sits at 1x in its middle, black around it.
void E2eWindow::fullScreenOnADesktop()
{
    game.waitUntil(1900);
    const QImage picture = grab();
    QCOMPARE(picture.size(), QSize(1024, 768));
    const QRect area(192, 144, 640, 480);
    int notBlack = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (!area.contains(x, y) && (picture.pixel(x, y) & 0xffffff) != 0)
                ++notBlack;
    QCOMPARE(notBlack, 0);
    const QList<QPoint> ships =
        findSprite(picture.copy(area), spriteOnBlack(kShipRegion), QRect(310, 342, 21, 21));
    QVERIFY2(ships.contains(QPoint(320, 352)), "no ship sprite at (320, 352) of the picture");
    closeAndCheckExit();
}

// P stops the game: the picture stands with PAUSED (white) across its middle
// and the recording gets no frame while it lasts; P again plays on.
void E2eWindow::pKeyPausesAndResumes()
{
    const QString recording = scratch.filePath(QStringLiteral("pause.replay"));
    game.stop();
    startGame({QStringLiteral("--record"), recording});
    game.waitUntil(1300);
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window)});
    xdotool({QStringLiteral("key"), QStringLiteral("p")});
    QTest::qWait(300);
    const QImage paused = grab();
    QTest::qWait(1500);
    const QImage band = paused.copy(0, 204, 640, 72).convertToFormat(QImage::Format_RGB32);
    const auto *pixels = reinterpret_cast<const quint32 *>(band.constBits());
    const auto white = std::count(pixels, pixels + 640 * 72, 0xffffffffu);
    QVERIFY2(grab() == paused && white > 400, "no picture standing with PAUSED");
    xdotool({QStringLiteral("key"), QStringLiteral("p")});
    QTest::qWait(400);
    QVERIFY2(grab() != paused, "still paused");
    closeAndCheckExit();
    QFile replay(recording);
    QVERIFY(replay.open(QIODevice::ReadOnly));
    const QByteArray text = replay.readAll();
    // Its last check line is at the last frame run: 62.5 a second, none in the 1.8 s paused.
    const int frames = text.mid(text.lastIndexOf("# check ") + 8).split(' ').value(0).toInt() + 1;
    QVERIFY2(frames > 60 && frames <= (game.started.elapsed() - 1800) * 625 / 10000,
             qPrintable(QString::number(frames)));
}

QTEST_MAIN(E2eWindow)
#include "e2e_window.moc"
