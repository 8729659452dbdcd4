#include <QtTest>

#include "testsupport.h"

namespace {
const QString sheetPath = QStringLiteral(SHMUP_SOURCE_DIR "/") + SpriteSheet::file();

int warnings = 0;
QtMessageHandler previousHandler = nullptr;
void countWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg)
        ++warnings;
    previousHandler(type, context, message);
}

// The sheet pixel copied to `p` of the coordinate-coded sheet, or (-1, -1) when
// `p` still shows the black background.
QPoint sourceOf(const QImage &screen, QPoint p)
{
    const QRgb pixel = screen.pixel(p);
    if (pixel == qRgb(0, 0, 0))
        return QPoint(-1, -1);
    return QPoint(qRed(pixel), qGreen(pixel));
}
} // namespace

// The named pixmap cache and the sprite primitive.
class TestTexture : public QObject {
    Q_OBJECT

private slots:
    void init();
    void secondLoadKeepsFirst();
    void missingFileStoresNullPixmap();
    void unknownNameGivesDummy();
    void deleteTexture();
    void getTextureFollowsTheMap_data();
    void getTextureFollowsTheMap();
    void loadsBesideTheProgram();
    void putSprite_data();
    void putSprite();
    void transparency();

private:
    QTemporaryDir dir;
    QString imageOfSize(int side);
};

void TestTexture::init()
{
    Texture::inst()->deleteTexture(SpriteSheet::name());
    warnings = 0;
}

// A solid square image file of the given side, to tell loads apart by size.
QString TestTexture::imageOfSize(int side)
{
    const QString path = dir.filePath(QStringLiteral("square%1.png").arg(side));
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::red);
    image.save(path);
    return path;
}

void TestTexture::secondLoadKeepsFirst()
{
    Texture texture;
    texture.loadTexture(QStringLiteral("A"), imageOfSize(7));
    QPixmap *first = texture.findTexture(QStringLiteral("A"));
    QVERIFY(first);
    QCOMPARE(first->size(), QSize(7, 7));

    texture.loadTexture(QStringLiteral("A"), imageOfSize(9));
    previousHandler = qInstallMessageHandler(countWarnings);
    texture.loadTexture(QStringLiteral("A"), dir.filePath(QStringLiteral("missing.png")));
    qInstallMessageHandler(previousHandler);
    QCOMPARE(texture.findTexture(QStringLiteral("A")), first);
    QCOMPARE(first->size(), QSize(7, 7));
    QCOMPARE(warnings, 0);
}

void TestTexture::missingFileStoresNullPixmap()
{
    Texture texture;
    const QString path = dir.filePath(QStringLiteral("no such sheet.png"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(path)));
    texture.loadTexture(QStringLiteral("A"), path);

    QPixmap *stored = texture.findTexture(QStringLiteral("A"));
    QVERIFY(stored);
    QVERIFY(stored->isNull());
    QCOMPARE(&texture.getTexture(QStringLiteral("A")), stored);
    QVERIFY(&texture.getTexture(QStringLiteral("never loaded")) != stored);

    // Counts as loaded: a later load does not try again.
    texture.loadTexture(QStringLiteral("A"), imageOfSize(7));
    QCOMPARE(texture.findTexture(QStringLiteral("A")), stored);
    QVERIFY(stored->isNull());
}

void TestTexture::unknownNameGivesDummy()
{
    Texture texture;
    QPixmap &dummy = texture.getTexture(QStringLiteral("nothing"));
    QVERIFY(dummy.isNull());
    QCOMPARE(&texture.getTexture(QStringLiteral("nothing")), &dummy);
    QCOMPARE(&texture.getTexture(QStringLiteral("something else")), &dummy);
    QCOMPARE(texture.findTexture(QStringLiteral("nothing")), nullptr);
    QVERIFY(texture.textures.isEmpty());

    // Drawing a name that was never loaded draws nothing.
    QImage screen = blankScreen();
    QPainter painter(&screen);
    Texture::inst()->putSprite(SpriteSheet::name(), &painter, QPoint(100, 100), QPoint(0, 0),
                               QSize(32, 32));
    painter.end();
    QCOMPARE(screen, blankScreen());
}

void TestTexture::deleteTexture()
{
    Texture texture;
    texture.loadTexture(QStringLiteral("A"), imageOfSize(7));
    texture.deleteTexture(QStringLiteral("never loaded"));
    QCOMPARE(texture.textures.size(), 1);

    QPixmap &dummy = texture.getTexture(QStringLiteral("never loaded"));
    texture.deleteTexture(QStringLiteral("A"));
    QCOMPARE(texture.findTexture(QStringLiteral("A")), nullptr);
    QCOMPARE(&texture.getTexture(QStringLiteral("A")), &dummy);

    texture.loadTexture(QStringLiteral("A"), imageOfSize(9));
    QCOMPARE(texture.findTexture(QStringLiteral("A"))->size(), QSize(9, 9));
}

// getTexture answers again from the map after any change to it, also for the
// name it was asked just before.
void TestTexture::getTextureFollowsTheMap_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QSize>("expected"); // an empty size for the dummy

    QTest::newRow("deleted") << QStringLiteral("delete") << QSize();
    QTest::newRow("pixmap replaced in the map") << QStringLiteral("replace") << QSize(9, 9);
    QTest::newRow("map cleared") << QStringLiteral("clear") << QSize();
    QTest::newRow("deleted, then loaded again") << QStringLiteral("reload") << QSize(11, 11);
    QTest::newRow("another name loaded") << QStringLiteral("other") << QSize(7, 7);
}

void TestTexture::getTextureFollowsTheMap()
{
    QFETCH(QString, change);
    QFETCH(QSize, expected);

    Texture texture;
    const QString name = QStringLiteral("A");
    texture.loadTexture(name, imageOfSize(7));
    QPixmap &dummy = texture.getTexture(QStringLiteral("never loaded"));
    QCOMPARE(texture.getTexture(name).size(), QSize(7, 7));

    if (change == QLatin1String("delete")) {
        texture.deleteTexture(name);
    } else if (change == QLatin1String("replace")) {
        delete texture.textures.value(name);
        texture.textures.insert(name, new QPixmap(imageOfSize(9)));
    } else if (change == QLatin1String("clear")) {
        qDeleteAll(texture.textures);
        texture.textures.clear();
    } else if (change == QLatin1String("reload")) {
        texture.deleteTexture(name);
        QCOMPARE(&texture.getTexture(name), &dummy);
        texture.loadTexture(name, imageOfSize(11));
    } else {
        texture.loadTexture(QStringLiteral("B"), imageOfSize(9));
    }

    QPixmap &now = texture.getTexture(name);
    if (expected.isEmpty())
        QCOMPARE(&now, &dummy);
    else
        QCOMPARE(now.size(), expected);
    QCOMPARE(texture.findTexture(name), expected.isEmpty() ? nullptr : &now);
}

// The game opens the sheet relative to bin/; started from another folder it still finds
// the sheet that the build put beside bin/.
void TestTexture::loadsBesideTheProgram()
{
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    Texture texture;
    texture.loadTexture(SpriteSheet::name(), SpriteSheet::path());
    QDir::setCurrent(previous);
    QPixmap *sheet = texture.findTexture(SpriteSheet::name());
    QVERIFY(sheet);
    QVERIFY(!sheet->isNull());
    QCOMPARE(sheet->size(), QPixmap(sheetPath).size());
}

void TestTexture::putSprite_data()
{
    QTest::addColumn<QPoint>("centre");
    QTest::addColumn<QPoint>("source");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("topLeft");

    QTest::newRow("ship 32x32 at (100,50)")
        << QPoint(100, 50) << QPoint(32, 0) << QSize(32, 32) << QPoint(84, 34);
    QTest::newRow("large enemy 96x64 at (100,50)")
        << QPoint(100, 50) << QPoint(32, 96) << QSize(96, 64) << QPoint(52, 18);
    QTest::newRow("odd 5x5 at (10,10): extra pixel right and below")
        << QPoint(10, 10) << QPoint(3, 4) << QSize(5, 5) << QPoint(8, 8);
    QTest::newRow("cut by the top-left corner")
        << QPoint(0, 0) << QPoint(128, 32) << QSize(32, 32) << QPoint(-16, -16);
    QTest::newRow("cut by the bottom-right corner")
        << QPoint(635, 470) << QPoint(0, 64) << QSize(16, 16) << QPoint(627, 462);
    QTest::newRow("entirely off screen")
        << QPoint(700, 100) << QPoint(0, 0) << QSize(32, 32) << QPoint(684, 84);
}

void TestTexture::putSprite()
{
    QFETCH(QPoint, centre);
    QFETCH(QPoint, source);
    QFETCH(QSize, size);
    QFETCH(QPoint, topLeft);

    useSheet(coordinateSheet());
    QImage screen = blankScreen();
    QPainter painter(&screen);
    Texture::inst()->putSprite(SpriteSheet::name(), &painter, centre, source, size);
    painter.end();

    const QRect target(topLeft, size);
    for (int y = 0; y < screen.height(); ++y) {
        for (int x = 0; x < screen.width(); ++x) {
            const QPoint p(x, y);
            const QPoint expected = target.contains(p) ? p - topLeft + source : QPoint(-1, -1);
            if (sourceOf(screen, p) != expected)
                QFAIL(qPrintable(QStringLiteral("screen (%1,%2) shows sheet (%3,%4), not (%5,%6)")
                                     .arg(x)
                                     .arg(y)
                                     .arg(sourceOf(screen, p).x())
                                     .arg(sourceOf(screen, p).y())
                                     .arg(expected.x())
                                     .arg(expected.y())));
        }
    }
}

// The sheet's alpha blends over what is already drawn.
void TestTexture::transparency()
{
    QImage sheet(4, 1, QImage::Format_ARGB32);
    sheet.setPixel(0, 0, qRgba(255, 0, 0, 0));
    sheet.setPixel(1, 0, qRgba(255, 0, 0, 255));
    sheet.setPixel(2, 0, qRgba(255, 0, 0, 128));
    sheet.setPixel(3, 0, qRgba(0, 0, 0, 0));
    useSheet(sheet);
    QImage screen = blankScreen();
    screen.fill(Qt::blue);
    QPainter painter(&screen);
    Texture::inst()->putSprite(SpriteSheet::name(), &painter, QPoint(12, 10), QPoint(0, 0),
                               QSize(4, 1));
    painter.end();

    QCOMPARE(screen.pixel(10, 10), qRgb(0, 0, 255));
    QCOMPARE(screen.pixel(11, 10), qRgb(255, 0, 0));
    const QRgb half = screen.pixel(12, 10);
    QVERIFY2(qAbs(qRed(half) - 128) <= 2 && qAbs(qBlue(half) - 127) <= 2,
             qPrintable(QString::number(half, 16)));
    QCOMPARE(screen.pixel(13, 10), qRgb(0, 0, 255));
}

QTEST_MAIN(TestTexture)
#include "tst_texture.moc"
