// The real game on Qt's vnc platform, the board's display path without the
// hardware and without any X server: looked at and played through libvncclient.
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <csignal>
#include <cstdarg>
#include <rfb/rfbclient.h>

#include "gamerun.h"
#include "screenmatch.h"

namespace {

// libvncclient's last message, which says why a call failed.
QString vncMessage;
void keepVncMessage(const char *format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    vncMessage = QString::fromLocal8Bit(text).trimmed();
}

// Framebuffer updates received from the game's server so far.
int vncUpdates = 0;

// Whether every pixel outside `inside` is black.
bool blackOutside(const QImage &image, const QRect &inside)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!inside.contains(x, y) && image.pixel(x, y) != qRgb(0, 0, 0))
                return false;
    return true;
}

// How many pixels of `area` are light, as the debug line's box is.
int lightPixels(const QImage &image, const QRect &area)
{
    int light = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) > 150)
                ++light;
    return light;
}

} // namespace

class E2eVnc : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void pictureOnScreen_data();
    void pictureOnScreen();
    void shrunkPictureShowsTheShip();
    void keysSteerAndFire();
    void quitting_data();
    void quitting();

private:
    void startGame(const QSize &screen);
    void connectTo(int port);
    QImage grab();
    QString stderrText();

    GameRun game;
    QTemporaryDir runtimeDir;
    rfbClient *vnc = nullptr;
};

// libvncclient's messages are kept for the failures; a key sent to a game that
// has just quit fails instead of ending the test with SIGPIPE.
void E2eVnc::initTestCase()
{
    rfbClientLog = rfbClientErr = keepVncMessage;
    std::signal(SIGPIPE, SIG_IGN);
}

void E2eVnc::cleanup()
{
    game.stop();
    if (vnc) {
        free(vnc->frameBuffer); // the client's own clean-up leaves it
        rfbClientCleanup(vnc);
        vnc = nullptr;
    }
}

// Started from its bin folder, as on the board, with no X server to be found.
void E2eVnc::startGame(const QSize &screen)
{
    const int port = FindFreeTcpPort();
    QVERIFY(port != 0);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    // As systemd gives a session; without it Qt warns on stderr.
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir.path());
    game.setProcessEnvironment(env);
    QVERIFY2(
        game.startFromBinDir({QStringLiteral("-platform"), QStringLiteral("vnc:size=%1x%2:port=%3")
                                                               .arg(screen.width())
                                                               .arg(screen.height())
                                                               .arg(port)}),
        qPrintable(game.errorString()));
    connectTo(port);
    QVERIFY(vnc);
    QCOMPARE(QSize(vnc->width, vnc->height), screen);
}

// Connects once the game's server listens, within ten seconds: pixels as
// 0xRRGGBB, the raw encoding only, each update counted.
void E2eVnc::connectTo(int port)
{
    const QDeadlineTimer deadline(10000);
    while (!vnc) {
        vnc = rfbGetClient(8, 3, 4);
        vnc->format.redShift = 16;
        vnc->format.blueShift = 0;
        vnc->appData.encodingsString = "raw";
        vnc->FinishedFrameBufferUpdate = [](rfbClient *) { ++vncUpdates; };
        vnc->programName = "e2e_vnc";
        free(vnc->serverHost);
        vnc->serverHost = strdup("127.0.0.1");
        vnc->serverPort = port;
        int argc = 0;
        if (!rfbInitClient(vnc, &argc, nullptr)) { // which frees the client
            vnc = nullptr;
            QVERIFY2(
                !deadline.hasExpired(),
                qPrintable(QStringLiteral("no server on port %1: %2").arg(port).arg(vncMessage)));
            QThread::msleep(50);
        }
    }
}

// The whole screen as it is now (none if the game could not be reached): a full
// update is asked for; libvncclient asks for the next update after each one,
// so an older answer may still be on its way and the second to arrive counts.
QImage E2eVnc::grab()
{
    if (!vnc)
        return QImage();
    const int wanted = vncUpdates + 2;
    const QDeadlineTimer deadline(5000);
    bool ok = SendFramebufferUpdateRequest(vnc, 0, 0, vnc->width, vnc->height, FALSE);
    while (ok && vncUpdates < wanted && !deadline.hasExpired()) {
        const int ready = WaitForMessage(vnc, 100000);
        ok = ready >= 0 && (ready == 0 || HandleRFBServerMessage(vnc));
    }
    if (vncUpdates < wanted) {
        qWarning("grab: %s", ok ? "timed out" : qPrintable(vncMessage));
        return QImage();
    }
    return QImage(vnc->frameBuffer, vnc->width, vnc->height, QImage::Format_RGB32).copy();
}

// The game's stderr, but for the line in which Qt's vnc server says its port.
QString E2eVnc::stderrText()
{
    QStringList kept;
    const QString text = QString::fromLocal8Bit(game.readAllStandardError());
    for (const QString &line : text.split(QLatin1Char('\n')))
        if (!line.isEmpty() && !line.startsWith(QLatin1String("QVncServer created on port")))
            kept.append(line);
    return kept.join(QLatin1Char('\n'));
}

// The whole screen is the game's: its 640x480 picture centred on black, each
// game pixel a factor-by-factor block, with the ship waiting at (320, 352) and
// the starfield behind it as in a desktop window.
void E2eVnc::pictureOnScreen_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<int>("factor");
    QTest::newRow("640x480: as in a window") << QSize(640, 480) << QPoint(0, 0) << 1;
    QTest::newRow("800x600: offset by (80, 60)") << QSize(800, 600) << QPoint(80, 60) << 1;
    QTest::newRow("1280x960: 2x2 blocks") << QSize(1280, 960) << QPoint(0, 0) << 2;
}

void E2eVnc::pictureOnScreen()
{
    QFETCH(QSize, screen);
    QFETCH(QPoint, offset);
    QFETCH(int, factor);

    startGame(screen);
    // The ship waits at (320, 352) from its 65th frame (about 1.05 s in) until
    // the first enemy reaches it, near frame 178 (2.8 s): look in between.
    game.waitUntil(1900);
    const QImage picture = grab();
    QCOMPARE(picture.size(), screen);
    const QRect area(offset, QSize(640, 480) * factor);
    QVERIFY2(blackOutside(picture, area), "not black around the picture");

    // The game's own picture, one pixel a block; every block is one colour but
    // in the debug line's corner, whose text is laid out anew at the larger size.
    QImage unscaled(640, 480, QImage::Format_RGB32);
    int mixedBlocks = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const QPoint corner = offset + QPoint(x, y) * factor;
            const QRgb colour = picture.pixel(corner);
            unscaled.setPixel(x, y, colour);
            if (x < 320 && y < 48)
                continue;
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i)
                    if (picture.pixel(corner + QPoint(i, j)) != colour)
                        ++mixedBlocks;
        }
    QCOMPARE(mixedBlocks, 0);

    const QList<QPoint> ships =
        findSprite(unscaled, spriteOnBlack(kShipRegion), QRect(310, 342, 21, 21));
    if (!ships.contains(QPoint(320, 352)))
        picture.save(QDir::temp().filePath(QStringLiteral("e2e-vnc.png")));
    QVERIFY2(ships.contains(QPoint(320, 352)), "no ship sprite at (320, 352) (see e2e-vnc.png)");
    const QList<QPoint> stars =
        findSprite(unscaled, spriteOnBlack(kStarRegion), QRect(8, 60, 624, 412), 0.95);
    QVERIFY2(stars.size() >= 20, qPrintable(QStringLiteral("%1 stars").arg(stars.size())));
    // The debug line's light box is at the picture's top left.
    const int light = lightPixels(unscaled, QRect(32, 24, 60, 8));
    QVERIFY2(light > 120, qPrintable(QStringLiteral("no debug line at the top left: %1 light "
                                                    "pixels of 480")
                                         .arg(light)));
}

// On a 480x272 panel the picture is shrunk to 363x272 at x 58, so the ship,
// waiting at (320, 352), shows about 18 pixels wide near (239.5, 199.5).
void E2eVnc::shrunkPictureShowsTheShip()
{
    startGame(QSize(480, 272));
    game.waitUntil(1900);
    const QImage picture = grab();
    QCOMPARE(picture.size(), QSize(480, 272));
    const QRect area(58, 0, 363, 272);
    QVERIFY2(blackOutside(picture, area), "not black around the picture");

    // The ship as the game draws it there: through the same transform, smoothed.
    QImage expected(picture.size(), QImage::Format_RGB32);
    expected.fill(Qt::black);
    {
        QPainter painter(&expected);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.translate(area.topLeft());
        painter.scale(area.width() / 640.0, area.height() / 480.0);
        painter.drawImage(QPoint(320 - 16, 352 - 16), spriteOnBlack(kShipRegion));
    }
    // Centred on (240, 200), searched within 3 pixels.
    const QImage ship = expected.copy(230, 190, 20, 20);
    const QList<QPoint> found = findSprite(picture, ship, QRect(237, 197, 7, 7), 0.8);
    if (!found.contains(QPoint(240, 200)))
        picture.save(QDir::temp().filePath(QStringLiteral("e2e-vnc-shrunk.png")));
    QVERIFY2(found.contains(QPoint(240, 200)),
             "no shrunk ship near (240, 200) (see e2e-vnc-shrunk.png)");
    // The whole picture is there: the debug line's box near its top-left corner.
    const int light = lightPixels(picture, QRect(area.left() + 19, 14, 30, 4));
    QVERIFY2(light > 40, qPrintable(QStringLiteral("no debug line at the top left: %1 light "
                                                   "pixels of 120")
                                        .arg(light)));
}

// Keys pressed through the VNC client reach the game as a keyboard's do.
void E2eVnc::keysSteerAndFire()
{
    startGame(QSize(640, 480));
    game.waitUntil(1300); // the ship is active from about 1.05 s
    QVERIFY(vnc && SendKeyEvent(vnc, XK_Left, TRUE));
    QVERIFY(SendKeyEvent(vnc, XK_z, TRUE));
    QTest::qWait(400); // about 25 frames at 4 pixels a frame
    const QImage picture = grab();
    QVERIFY(SendKeyEvent(vnc, XK_Left, FALSE));
    QVERIFY(SendKeyEvent(vnc, XK_z, FALSE));
    QVERIFY(!picture.isNull());

    const QString wrong = steeredLeftAndFired(picture, QStringLiteral("e2e-vnc-keys.png"));
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

// Escape from the VNC client's keyboard, and the signals a service manager or
// a terminal sends, end the game through its event loop: status 0, and nothing
// on stderr but Qt's own line about the server's port.
void E2eVnc::quitting_data()
{
    QTest::addColumn<int>("signal"); // 0: press Escape instead
    QTest::newRow("Escape") << 0;
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void E2eVnc::quitting()
{
    QFETCH(int, signal);
    startGame(QSize(800, 600));
    game.waitUntil(1000);
    QVERIFY(!grab().isNull()); // the game is up and drawing
    if (signal == 0) {
        QVERIFY(SendKeyEvent(vnc, XK_Escape, TRUE) && SendKeyEvent(vnc, XK_Escape, FALSE));
    } else {
        QCOMPARE(::kill(pid_t(game.processId()), signal), 0);
    }
    QVERIFY2(game.waitForFinished(10000), "the game did not end");
    QCOMPARE(game.exitStatus(), QProcess::NormalExit);
    QCOMPARE(game.exitCode(), 0);
    QCOMPARE(stderrText(), QString());
}

QTEST_MAIN(E2eVnc)
#include "e2e_vnc.moc"
