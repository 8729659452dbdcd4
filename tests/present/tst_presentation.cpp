#include <QScreen>
#include <QtTest>

#include "present/platform.h"
#include "present/presentation.h"
#include "spritesheet.h"
#include "testsupport.h"
#include "view.h"

namespace {

// Draws a sprite centred on each corner and each edge's middle, half off the screen.
class EdgeSprites : public Task {
public:
    EdgeSprites() : Task(0) {}
    void oneFrame() override {}
    void render(QPainter *painter) override
    {
        const QList<QPoint> centres = {{0, 0},     {320, 0},   {640, 0}, {640, 240},
                                       {640, 480}, {320, 480}, {0, 480}, {0, 240}};
        for (const QPoint &centre : centres)
            Texture::inst()->putSprite(SpriteSheet::name(), painter, centre, QPoint(32, 0),
                                       QSize(32, 32));
    }
};

const QRgb kBlack = qRgb(0, 0, 0);

// Whether every pixel of `image` outside `inside` is black.
bool blackOutside(const QImage &image, const QRect &inside)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!inside.contains(x, y) && image.pixel(x, y) != kBlack)
                return false;
    return true;
}

// The rectangle of `image` holding pixels of `colour`, within `area`.
QRect areaOf(const QImage &image, QRgb colour, const QRect &area)
{
    QRect found;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) == colour)
                found |= QRect(x, y, 1, 1);
    return found;
}

// The presented game as a painter draws it sprite by sprite through the
// scaling transform: what the window's copied-up picture must equal.
void drawThroughTransform(View &view, QPainter *painter)
{
    const QRect picture = Presentation::on(&view)->pictureRect();
    painter->fillRect(view.rect(), Qt::black);
    painter->setClipRect(picture);
    painter->translate(picture.topLeft());
    painter->scale(picture.width() / 640.0, picture.height() / 480.0);
    TaskManager::inst()->render(painter);
}

// A rectangle as "x,y wxh", for failure messages.
QString rectText(const QRect &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

// The game's 640x480 picture on screens of other sizes: centred on black,
// scaled up by whole factors, or shrunk with its aspect kept.
class TestPresentation : public WorldTest {
    Q_OBJECT

private slots:
    void init();
    void placement_data();
    void placement();
    void fullScreenPlatforms();
    void framebufferDrmChoice_data();
    void framebufferDrmChoice();
    void factorOneIsTodaysPicture();
    void offsetOnALargerScreen();
    void wholeFactorsMakeBlocks_data();
    void wholeFactorsMakeBlocks();
    void copiedUpIsDrawnThroughTransform_data();
    void copiedUpIsDrawnThroughTransform();
    void shrunkPictureIsWhole();
    void spritesStayInsideThePicture_data();
    void spritesStayInsideThePicture();
    void scaledWindowIsFixed();
    void wholeScreenHasNoPointer();

private:
    using Paint = std::function<void(View &, QPaintDevice *)>;
    QImage shot(const QSize &screen = QSize(), int frames = 0,
                QImage::Format format = QImage::Format_ARGB32_Premultiplied,
                const Paint &paint = {});
    QRect debugBox(const QImage &onePicture);
    // The window's background colour as an image of that format holds it.
    QRgb background(QImage::Format format);
};

void TestPresentation::init()
{
    resetWorld();
    useSheet(QImage(QStringLiteral(SHMUP_SOURCE_DIR "/") + SpriteSheet::file()));
}

// The window's picture after `frames` frames of the default game, as the
// default window (no screen given) or presented on `screen`, painted by
// `paint` (by default the window's own rendering) on white so that anything
// left unpainted shows: on an image in `format`, or a pixmap when Format_Invalid.
QImage TestPresentation::shot(const QSize &screen, int frames, QImage::Format format,
                              const Paint &paint)
{
    resetManager();
    srand(1);
    View view;
    if (screen.isValid())
        Presentation::on(&view)->presentOn(screen);
    for (int i = 0; i < frames; ++i)
        TaskManager::inst()->oneFrame();
    const auto paintOn = [&](QPaintDevice *device) {
        if (paint)
            paint(view, device);
        else
            view.render(device);
    };
    if (format == QImage::Format_Invalid) {
        QPixmap pixmap(view.size());
        pixmap.fill(Qt::white);
        paintOn(&pixmap);
        return pixmap.toImage();
    }
    QImage image(view.size(), format);
    image.fill(Qt::white);
    paintOn(&image);
    return image;
}

// The debug line's opaque box in a 1x picture: the pixels of the window's
// background colour near the line's base-line point (32, 32).
QRect TestPresentation::debugBox(const QImage &onePicture)
{
    return areaOf(onePicture, background(onePicture.format()), QRect(0, 0, 320, 64));
}

QRgb TestPresentation::background(QImage::Format format)
{
    View view;
    QImage pixel(1, 1, format);
    pixel.fill(view.palette().color(view.backgroundRole()));
    return pixel.pixel(0, 0);
}

void TestPresentation::placement_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QRect>("picture");
    QTest::newRow("640x480: as designed") << QSize(640, 480) << QRect(0, 0, 640, 480);
    QTest::newRow("800x600: centred at 1x") << QSize(800, 600) << QRect(80, 60, 640, 480);
    QTest::newRow("1024x768: centred at 1x") << QSize(1024, 768) << QRect(192, 144, 640, 480);
    QTest::newRow("1280x960: 2x, filled") << QSize(1280, 960) << QRect(0, 0, 1280, 960);
    QTest::newRow("1920x1080: 2x, letterboxed") << QSize(1920, 1080) << QRect(320, 60, 1280, 960);
    QTest::newRow("1280x720: 1x, height limits") << QSize(1280, 720) << QRect(320, 120, 640, 480);
    QTest::newRow("3840x2160: 4x") << QSize(3840, 2160) << QRect(640, 120, 2560, 1920);
    QTest::newRow("480x272: shrunk to the height") << QSize(480, 272) << QRect(58, 0, 363, 272);
    QTest::newRow("320x240: shrunk by half") << QSize(320, 240) << QRect(0, 0, 320, 240);
    QTest::newRow("480x800: shrunk to the width") << QSize(480, 800) << QRect(0, 220, 480, 360);
    QTest::newRow("640x400: height limits, shrunk") << QSize(640, 400) << QRect(53, 0, 533, 400);
}

void TestPresentation::placement()
{
    QFETCH(QSize, screen);
    QFETCH(QRect, picture);
    QCOMPARE(Presentation::placePicture(screen), picture);
    // --scale is brought down to that factor, but never below 1.
    QCOMPARE(Presentation::largestScale(screen), qMax(1, picture.width() / 640));
    View view;
    Presentation::on(&view)->presentOn(screen);
    QCOMPARE(view.size(), screen);
    QCOMPARE(Presentation::on(&view)->pictureRect(), picture);
}

void TestPresentation::fullScreenPlatforms()
{
    for (const char *name : {"linuxfb", "eglfs", "vnc"})
        QVERIFY2(Platform::named(QLatin1String(name)).coversWholeScreen, name);
    for (const char *name : {"xcb", "wayland", "offscreen", "minimal", ""})
        QVERIFY2(!Platform::named(QLatin1String(name)).coversWholeScreen, name);
}

// QT_QPA_FB_DRM=auto: page flips, and linuxfb's pacing with them, only on a
// card0 that drives a display; a value of Qt's own stays.
void TestPresentation::framebufferDrmChoice_data()
{
    QTest::addColumn<QByteArray>("asked");
    QTest::addColumn<QString>("drmEntry");
    QTest::addColumn<QByteArray>("chosen");
    QTest::newRow("a display") << QByteArray("auto") << "card0-Virtual-1" << QByteArray("1");
    QTest::newRow("only renders") << QByteArray("auto") << "card1-HDMI-A-1" << QByteArray("0");
    QTest::newRow("asked off") << QByteArray("0") << "card0-Virtual-1" << QByteArray("0");
}

void TestPresentation::framebufferDrmChoice()
{
    QFETCH(QByteArray, asked);
    QFETCH(QString, drmEntry);
    QFETCH(QByteArray, chosen);
    QTemporaryDir drmClass;
    QVERIFY(QDir(drmClass.path()).mkdir(drmEntry));
    qputenv("QT_QPA_FB_DRM", asked);
    Platform::chooseFramebufferDrm(drmClass.path());
    const bool paces = Platform::named(QStringLiteral("linuxfb")).pacesPresentation;
    QCOMPARE(qgetenv("QT_QPA_FB_DRM"), chosen);
    qunsetenv("QT_QPA_FB_DRM");
    QCOMPARE(paces, chosen == "1");
}

// Presented on a 640x480 screen or at factor 1, the window paints what the
// designed window paints, pixel for pixel.
void TestPresentation::factorOneIsTodaysPicture()
{
    const QImage designed = shot();
    QCOMPARE(designed.size(), QSize(640, 480));
    QVERIFY(!debugBox(designed).isEmpty());
    QCOMPARE(shot(QSize(640, 480)), designed);
    const QImage scaledOne = shot(QSize(), 0, designed.format(), [](View &view, QPaintDevice *on) {
        Presentation::on(&view)->presentScaled(1);
        view.render(on);
    });
    QCOMPARE(scaledOne, designed);
}

void TestPresentation::offsetOnALargerScreen()
{
    const QImage designed = shot(QSize(), 90);
    const QImage larger = shot(QSize(800, 600), 90);
    QCOMPARE(larger.copy(80, 60, 640, 480), designed);
    QVERIFY(blackOutside(larger, QRect(80, 60, 640, 480)));
}

// Every game pixel is a factor-by-factor block of the 1x picture's pixel, but
// for the debug line: its text is laid out again at the larger size (sharper
// glyphs, not doubled ones), so only its box is compared, by size.
void TestPresentation::wholeFactorsMakeBlocks_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<int>("factor");
    QTest::addColumn<QImage::Format>("format");
    const QImage::Format argb = QImage::Format_ARGB32_Premultiplied;
    QTest::newRow("1280x960") << QSize(1280, 960) << QPoint(0, 0) << 2 << argb;
    QTest::newRow("1920x1080, letterboxed") << QSize(1920, 1080) << QPoint(320, 60) << 2 << argb;
    QTest::newRow("1920x1440") << QSize(1920, 1440) << QPoint(0, 0) << 3 << argb;
    // A 16-bit framebuffer.
    QTest::newRow("1280x960, 16-bit")
        << QSize(1280, 960) << QPoint(0, 0) << 2 << QImage::Format_RGB16;
    QTest::newRow("2560x1920, 16-bit")
        << QSize(2560, 1920) << QPoint(0, 0) << 4 << QImage::Format_RGB16;
}

void TestPresentation::wholeFactorsMakeBlocks()
{
    QFETCH(QSize, screen);
    QFETCH(QPoint, offset);
    QFETCH(int, factor);
    QFETCH(QImage::Format, format);

    // By frame 90 the ship waits at (320, 352) and enemies have come in.
    const QImage designed = shot(QSize(), 90, format);
    const QImage big = shot(screen, 90, format);
    const QRect box = debugBox(designed);
    const QRect skipped = box.adjusted(-2, -2, 2, 2);
    int differing = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            if (skipped.contains(x, y))
                continue;
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i)
                    if (big.pixel(offset.x() + x * factor + i, offset.y() + y * factor + j) !=
                        designed.pixel(x, y))
                        ++differing;
        }
    QCOMPARE(differing, 0);
    QVERIFY(blackOutside(big, QRect(offset, QSize(640, 480) * factor)));

    const QRect bigBox =
        areaOf(big, background(format), QRect(offset, QSize(320, 64) * factor)).translated(-offset);
    const QRect expected(box.topLeft() * factor, box.size() * factor);
    QVERIFY2(qAbs(bigBox.left() - expected.left()) <= factor &&
                 qAbs(bigBox.top() - expected.top()) <= factor &&
                 qAbs(bigBox.right() - expected.right()) <= 2 * factor &&
                 qAbs(bigBox.bottom() - expected.bottom()) <= 2 * factor,
             qPrintable(QStringLiteral("debug box at %1x: %2; at 1x %3")
                            .arg(factor)
                            .arg(rectText(bigBox), rectText(box))));
}

// Scaled up by a whole factor the window paints the game at 1x and copies each
// pixel into a block, straight into the image it paints on, or through Qt when
// it paints on something else or on part of the window only. Every way gives
// the pixels of the game drawn sprite by sprite through the scaling transform.
// (The debug line is drawn through the transform either way, and its text is
// checked by wholeFactorsMakeBlocks.)
void TestPresentation::copiedUpIsDrawnThroughTransform_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<QRect>("part");
    const QSize two(1280, 960);
    const QImage::Format argb = QImage::Format_ARGB32_Premultiplied;
    QTest::newRow("2x") << two << argb << QPoint() << QRect();
    QTest::newRow("2x letterboxed, RGB32")
        << QSize(1920, 1080) << QImage::Format_RGB32 << QPoint() << QRect();
    QTest::newRow("3x") << QSize(1920, 1440) << argb << QPoint() << QRect();
    QTest::newRow("2x on a pixmap") << two << QImage::Format_Invalid << QPoint() << QRect();
    QTest::newRow("2x, rendered at an offset") << two << argb << QPoint(7, 5) << QRect();
    QTest::newRow("2x, a part rendered in place")
        << two << argb << QPoint(100, 90) << QRect(100, 90, 600, 400);
}

void TestPresentation::copiedUpIsDrawnThroughTransform()
{
    QFETCH(QSize, screen);
    QFETCH(QImage::Format, format);
    QFETCH(QPoint, offset);
    QFETCH(QRect, part);
    const QSize room = screen + QSize(2 * offset.x(), 2 * offset.y());
    // A rendered part lands with its corner at the offset.
    const QPoint shift = offset - part.topLeft();

    const QImage window = shot(room, 90, format, [&](View &view, QPaintDevice *device) {
        view.resize(screen);
        view.hideDebugLine = true;
        view.render(device, offset, part.isNull() ? QRegion() : QRegion(part));
    });
    QImage expected = shot(room, 90, format, [&](View &view, QPaintDevice *device) {
        view.resize(screen);
        QPainter painter(device);
        painter.translate(shift);
        drawThroughTransform(view, &painter);
    });
    if (!part.isNull()) {
        // Only the part is painted; the rest stays white.
        QImage white(room, expected.format());
        white.fill(Qt::white);
        QPainter painter(&white);
        painter.drawImage(part.translated(shift).topLeft(), expected.copy(part.translated(shift)));
        painter.end();
        expected = white;
    }
    QCOMPARE(window.size(), expected.size());
    QCOMPARE(window, expected);
}

// On a 480x272 panel the whole picture is there, smaller: close to the 1x
// picture shrunk into the same place, and the waiting ship at (320, 352) shows.
void TestPresentation::shrunkPictureIsWhole()
{
    // By frame 90 the ship waits at (320, 352).
    const QImage designed = shot(QSize(), 90);
    const QImage panel = shot(QSize(480, 272), 90);
    const QRect picture(58, 0, 363, 272);
    QVERIFY(blackOutside(panel, picture));

    QImage expected(panel.size(), QImage::Format_ARGB32_Premultiplied);
    expected.fill(Qt::black);
    {
        QPainter painter(&expected);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(picture), designed);
    }
    // Sprites shrunk one by one and the shrunk whole differ a little at edges;
    // a misplaced or cut picture differs everywhere.
    auto difference = [&](const QRect &area) {
        qint64 sum = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QRgb a = panel.pixel(x, y), b = expected.pixel(x, y);
                sum += qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) +
                       qAbs(qBlue(a) - qBlue(b));
            }
        return double(sum) / (3.0 * area.width() * area.height());
    };
    // The ship's 32x32 sprite, centred on (320, 352), is about 18x18 here.
    const QRect ship(58 + 181 - 9, 199 - 9, 18, 18);
    int bright = 0;
    for (int y = ship.top(); y <= ship.bottom(); ++y)
        for (int x = ship.left(); x <= ship.right(); ++x)
            if (qGray(panel.pixel(x, y)) > 60)
                ++bright;
    QVERIFY2(bright > 40, qPrintable(QString::number(bright)));
    QVERIFY2(difference(ship) < 12.0, qPrintable(QString::number(difference(ship))));
    QVERIFY2(difference(picture) < 4.0, qPrintable(QString::number(difference(picture))));
}

// Sprites half off the screen are cut at the picture's edge, never drawn on the
// black around it; inside, they show up to the edge.
void TestPresentation::spritesStayInsideThePicture_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::newRow("800x600") << QSize(800, 600);
    QTest::newRow("1920x1080") << QSize(1920, 1080);
    QTest::newRow("480x272") << QSize(480, 272);
}

void TestPresentation::spritesStayInsideThePicture()
{
    QFETCH(QSize, screen);
    // Every sprite an opaque white square.
    QImage white(192, 160, QImage::Format_ARGB32);
    white.fill(Qt::white);
    useSheet(white);
    View view;
    Presentation::on(&view)->presentOn(screen);
    resetManager();
    TaskManager::inst()->addTask(new EdgeSprites);
    QImage image(screen, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::red);
    view.render(&image);

    const QRect picture = Presentation::placePicture(screen);
    QVERIFY(blackOutside(image, picture));
    for (const QPoint &corner :
         {picture.topLeft(), picture.topRight(), picture.bottomLeft(), picture.bottomRight()})
        QCOMPARE(image.pixel(corner), qRgb(255, 255, 255));
}

void TestPresentation::scaledWindowIsFixed()
{
    View view;
    Presentation::on(&view)->presentScaled(2);
    QCOMPARE(view.minimumSize(), QSize(1280, 960));
    QCOMPARE(view.maximumSize(), QSize(1280, 960));
    view.resize(800, 600);
    QCOMPARE(view.size(), QSize(1280, 960));
    QCOMPARE(Presentation::on(&view)->pictureRect(), QRect(0, 0, 1280, 960));
}

// Full screen the window covers the screen and hides the mouse pointer, which
// the game has no use for; a desktop window keeps it.
void TestPresentation::wholeScreenHasNoPointer()
{
    View desktop;
    desktop.show();
    QCOMPARE(desktop.cursor().shape(), Qt::ArrowCursor);

    View view;
    Presentation::on(&view)->showOnWholeScreen();
    QCOMPARE(view.size(), view.screen()->size());
    QCOMPARE(Presentation::on(&view)->pictureRect(),
             Presentation::placePicture(view.screen()->size()));
    QCOMPARE(view.cursor().shape(), Qt::BlankCursor);
}

QTEST_MAIN(TestPresentation)
#include "tst_presentation.moc"
