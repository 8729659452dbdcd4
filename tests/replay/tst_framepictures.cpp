#include <QtTest>

#include "input/inputscript.h"
#include "inputsupport.h"
#include "present/presentation.h"
#include "replay/framepictures.h"
#include "spritesheet.h"
#include "testsupport.h"
#include "view.h"

namespace {

// The script both games play: fire and steer once the ship is in, so that
// shots, enemies and the parallax all show.
const char script[] = "0 7 1\n66 3 1\n90 8 0\n";
const int pictureFrames = 70;

// Fraction of the ship sprite's bright pixels found in `picture` with the ship
// centred on `centre`: near 1 when the ship is drawn there, near 0 when not.
double shipShown(const QImage &picture, const QImage &sheet, QPoint centre)
{
    int bright = 0;
    int found = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb sprite = sheet.pixel(32 + x, y);
            const QPoint at(centre.x() - 16 + x, centre.y() - 16 + y);
            if (qAlpha(sprite) != 255 || qRed(sprite) + qGreen(sprite) + qBlue(sprite) < 150 ||
                !picture.rect().contains(at))
                continue;
            ++bright;
            found += (picture.pixel(at) & 0xffffff) == (sprite & 0xffffff);
        }
    return bright ? double(found) / bright : 0.0;
}

// Runs the trace tool on the script with --png for frames 0 .. pictureFrames - 1
// (and `extra`), from bin/ as the game runs, so that the sprite sheet is
// found; returns the pictures, or none on failure.
QVector<QImage> tracePictures(const QTemporaryDir &dir, const QString &name,
                              const QStringList &extra = {})
{
    const QString scriptFile = dir.filePath(QStringLiteral("script.txt"));
    QFile file(scriptFile);
    if (!file.exists() && file.open(QIODevice::WriteOnly)) {
        file.write(script);
        file.close();
    }
    const QString out = dir.filePath(name);
    QProcess trace;
    trace.setWorkingDirectory(QFileInfo(QStringLiteral(SHMUP_TRACE)).absolutePath());
    trace.start(QStringLiteral(SHMUP_TRACE),
                QStringList{QStringLiteral("--frames"), QString::number(pictureFrames + 10),
                            QStringLiteral("--input"), scriptFile, QStringLiteral("--png"), out,
                            QStringLiteral("--png-at"),
                            QStringLiteral("0-%1").arg(pictureFrames - 1)} +
                    extra);
    QVector<QImage> pictures;
    if (!trace.waitForFinished(120000) || trace.exitCode() != 0)
        return pictures;
    for (int frame = 0; frame < pictureFrames; ++frame) {
        QImage picture(FramePictures::fileName(out, frame));
        if (picture.isNull())
            return {};
        pictures.append(picture.convertToFormat(QImage::Format_RGB32));
    }
    // Only the frames asked for.
    if (QFile::exists(FramePictures::fileName(out, pictureFrames)))
        return {};
    return pictures;
}

// Ticks the window's timers as they fall due until frame `frame` ticks, at
// 16 (frame + 1) ms: the 1000 ms samples of the frame rate first, then the frame.
void tickFrame(View &view, int frame)
{
    const auto samplesBefore = [](int k) { return (16 * (k + 1) - 1) / 1000; };
    for (int sample = samplesBefore(frame - 1); sample < samplesBefore(frame); ++sample)
        tick(view, view.fpsTimerId);
    tick(view, view.frameTimerId);
}

} // namespace

// Pictures of frames: the frame rate the debug line shows, and the pictures
// themselves against a real window's paint.
class TestFramePictures : public WorldTest {
    Q_OBJECT

private slots:
    void initTestCase();
    void fpsAsTheWindowCountsIt();
    void picturesAreTheWindowsPaint_data();
    void picturesAreTheWindowsPaint();
    void entering_shipBlinks();

private:
    QTemporaryDir dir;
    QVector<QImage> pictures; // from the trace tool, frames 0 .. pictureFrames - 1
};

void TestFramePictures::initTestCase()
{
    QVERIFY(dir.isValid());
    pictures = tracePictures(dir, QStringLiteral("window"));
    QCOMPARE(pictures.size(), pictureFrames);
}

// A window whose timers keep time: frame k ticks at 16 (k + 1) ms and the
// sampling timer every 1000 ms, the frame first when both fall due together
// (it was started first). After each frame tick the window shows what the
// pictures show.
void TestFramePictures::fpsAsTheWindowCountsIt()
{
    View view;
    for (int frame = 0; frame < 400; ++frame) {
        tickFrame(view, frame);
        QCOMPARE(FramePictures::fpsAt(frame), view.fps);
    }
    QCOMPARE(FramePictures::fpsAt(61), 0);
    QCOMPARE(FramePictures::fpsAt(62), 62);
    QCOMPARE(FramePictures::fpsAt(125), 63);
}

void TestFramePictures::picturesAreTheWindowsPaint_data()
{
    QTest::addColumn<QSize>("screen"); // invalid: the 640x480 window
    QTest::newRow("the window") << QSize();
    QTest::newRow("a screen twice as large") << QSize(1280, 960);
    QTest::newRow("a small wide screen") << QSize(480, 272);
}

// The same game in a window, one paint (a grab) after each frame tick, looks
// exactly like the trace tool's pictures, debug line included.
void TestFramePictures::picturesAreTheWindowsPaint()
{
    QFETCH(QSize, screen);
    const QVector<QImage> traced =
        screen.isValid()
            ? tracePictures(dir,
                            QStringLiteral("screen-%1x%2").arg(screen.width()).arg(screen.height()),
                            {QStringLiteral("--screen"),
                             QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height())})
            : pictures;
    QCOMPARE(traced.size(), pictureFrames);

    const QString binDir = QFileInfo(QStringLiteral(SHMUP_TRACE)).absolutePath();
    const QString saved = QDir::currentPath();
    QDir::setCurrent(binDir);
    Texture::inst()->deleteTexture(SpriteSheet::name());
    View view; // hidden: its frame tick's own repaint paints nothing, the grab is the one paint
    QDir::setCurrent(saved);
    if (screen.isValid())
        Presentation::on(&view)->presentOn(screen);
    PARSE_SCRIPT(steps, script);
    Joystick::inst()->addSource(new InputScript(steps));

    for (int frame = 0; frame < pictureFrames; ++frame) {
        tickFrame(view, frame);
        const QImage grabbed = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(grabbed.size(), screen.isValid() ? screen : QSize(640, 480));
        QVERIFY2(grabbed == traced.at(frame),
                 qPrintable(QStringLiteral("frame %1 differs from the window's paint").arg(frame)));
    }
}

// A new ship blinks while it flies in: drawn on its first, third, fifth...
// paint, so on even frames; at frame 64 it is in place and drawn from then on.
void TestFramePictures::entering_shipBlinks()
{
    const QImage sheet = QImage(QStringLiteral(SHMUP_SOURCE_DIR "/") + SpriteSheet::file())
                             .convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!sheet.isNull());
    QString seen;
    QString expected;
    // Frame 64 is the first in place; the joystick moves the ship from frame 65.
    for (int frame = 0; frame <= 64; ++frame) {
        const int y = frame < 64 ? 480 - 2 * (frame + 1) : 352;
        const double shown = shipShown(pictures.at(frame), sheet, QPoint(320, y));
        QVERIFY2(shown > 0.9 || shown < 0.1,
                 qPrintable(QStringLiteral("frame %1: %2 of the ship").arg(frame).arg(shown)));
        seen += shown > 0.9 ? 'S' : '.';
        expected += frame % 2 == 0 || frame >= 64 ? 'S' : '.';
    }
    QCOMPARE(seen, expected);
}

QTEST_MAIN(TestFramePictures)
#include "tst_framepictures.moc"
