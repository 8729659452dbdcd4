#include <QtTest>

#include "testsupport.h"
#include "view.h"

// Sprite sheets that are missing, broken or hostile: the game still loads,
// warns once saying what is wrong, and runs its frames drawing what it can.
class TestHostileSheet : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void badSheetWarnsOnceAndTheGameRuns_data();
    void badSheetWarnsOnceAndTheGameRuns();
    void fallbackBesideTheProgramIsToldToo();

private:
    QTemporaryDir dir;
};

namespace {
const QString sheetPath = QStringLiteral(SHMUP_SOURCE_DIR "/") + SpriteSheet::file();

QStringList warnings;
QtMessageHandler previousHandler = nullptr;
void keepWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg || type == QtCriticalMsg)
        warnings.append(message);
    else
        previousHandler(type, context, message);
}

QByteArray bigEndian(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

// The CRC-32 that PNG chunks end with (polynomial 0xedb88320, bit by bit).
quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray pngChunk(const char type[4], const QByteArray &data)
{
    const QByteArray typed = QByteArray(type, 4) + data;
    const quint32 crc = crc32(typed);
    return bigEndian(quint32(data.size())) + typed + bigEndian(crc);
}

// A valid PNG, a few dozen bytes long, whose header declares width x height
// RGBA pixels: a decoder that trusts it allocates width * height * 4 bytes.
QByteArray pngBomb(quint32 width, quint32 height)
{
    const QByteArray header =
        bigEndian(width) + bigEndian(height) + QByteArray("\x08\x06\0\0\0", 5);
    // A zlib stream of a single zero row filter byte: far too little data.
    const QByteArray compressed = qCompress(QByteArray(1, '\0')).mid(4);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) +
           pngChunk("IDAT", compressed) + pngChunk("IEND", QByteArray());
}

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, '\0');
    quint32 x = 2463534242u; // xorshift: the same junk on every run
    for (char &c : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = char(x);
    }
    return bytes;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray pngOf(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Pixels of a frame copied from coordinateSheet(): how many, and the largest
// sheet coordinate among them.
struct SheetPixels {
    int count = 0;
    QPoint largest;
};
SheetPixels sheetPixels(const QImage &frame)
{
    SheetPixels found;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            const QRgb pixel = frame.pixel(x, y);
            if (qBlue(pixel) != 128 || qRed(pixel) > 191 || qGreen(pixel) > 159 ||
                qRed(pixel) == 128)
                continue;
            ++found.count;
            found.largest.setX(qMax(found.largest.x(), qRed(pixel)));
            found.largest.setY(qMax(found.largest.y(), qGreen(pixel)));
        }
    return found;
}
} // namespace

void TestHostileSheet::init()
{
    resetWorld();
    Texture::inst()->deleteTexture(SpriteSheet::name());
    warnings.clear();
    QVERIFY(dir.isValid());
}

void TestHostileSheet::cleanup()
{
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
    resetWorld();
    Texture::inst()->deleteTexture(SpriteSheet::name());
}

void TestHostileSheet::badSheetWarnsOnceAndTheGameRuns_data()
{
    // "kind" is how the test puts the sheet in place: a file with `bytes`, no
    // file at all, or a directory of that name.
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<bool>("drawsSprites");

    const QByteArray sheet = fileBytes(sheetPath);
    QTest::newRow("missing") << "none" << QByteArray() << "no such file" << false;
    QTest::newRow("a directory") << "dir" << QByteArray() << "it is a directory" << false;
    QTest::newRow("empty") << "file" << QByteArray() << "the file is empty" << false;
    QTest::newRow("random bytes") << "file" << randomBytes(4096)
                                  << "not an image in a format this build can read" << false;
    QTest::newRow("PNG signature then junk")
        << "file" << QByteArray("\x89PNG\r\n\x1a\n", 8) + randomBytes(200)
        << "its header declares no valid image size (libpng error: " << false;
    QTest::newRow("real sheet cut in half")
        << "file" << sheet.left(sheet.size() / 2)
        << "cannot decode it: Unable to read image data (libpng error: Read Error)" << false;
    QTest::newRow("real sheet cut after its header")
        << "file" << sheet.left(60)
        << "its header declares no valid image size (libpng error: Read Error)" << false;
    QTest::newRow("50x50: smaller than the sprites need")
        << "file" << pngOf(coordinateSheet().copy(0, 0, 50, 50))
        << "it is 50x50 pixels, smaller than the 192x160 the sprites need" << true;
    QTest::newRow("bomb: header says 60000x60000")
        << "file" << pngBomb(60000, 60000)
        << "its header declares 60000x60000 pixels, more than the 4096x4096 allowed" << false;
    QTest::newRow("bomb: one side just over the bound")
        << "file" << pngBomb(4097, 1)
        << "its header declares 4097x1 pixels, more than the 4096x4096 allowed" << false;
    QTest::newRow("bomb: widest the format allows")
        << "file" << pngBomb(0x7fffffff, 0x7fffffff) << "declares no valid image size" << false;
}

void TestHostileSheet::badSheetWarnsOnceAndTheGameRuns()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, problem);
    QFETCH(bool, drawsSprites);

    const QString path = dir.filePath(QStringLiteral("%1/edge1.png").arg(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    if (kind == QLatin1String("dir")) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QLatin1String("file")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), qint64(bytes.size()));
    }

    previousHandler = qInstallMessageHandler(keepWarnings);
    Texture::inst()->loadTexture(SpriteSheet::name(), path, SpriteSheet::kSize);
    QCOMPARE(warnings.size(), 1);
    const QString warning = warnings.constFirst();
    QVERIFY2(warning.contains(QStringLiteral("\"%1\"").arg(path)), qPrintable(warning));
    QVERIFY2(warning.contains(problem), qPrintable(warning));
    QVERIFY2(!warning.contains(QLatin1Char('\n')), qPrintable(warning));
    QVERIFY(Texture::inst()->findTexture(SpriteSheet::name()));
    const QPixmap &loaded = Texture::inst()->getTexture(SpriteSheet::name());
    QCOMPARE(!loaded.isNull(), drawsSprites);
    QVERIFY(loaded.width() <= 4096 && loaded.height() <= 4096);

    // The game as it starts: the director finds the sheet's name taken and does not
    // load again. A few hundred frames, each painted as the window does.
    View view;
    QImage frame(view.size(), QImage::Format_RGB32);
    int sheetPixelsSeen = 0;
    QPoint largest;
    for (int n = 0; n < 300; ++n) {
        Joystick::inst()->pool();
        TaskManager::inst()->oneFrame();
        view.render(&frame);
        if (n % 50 == 49) {
            const SheetPixels found = sheetPixels(frame);
            sheetPixelsSeen += found.count;
            largest.setX(qMax(largest.x(), found.largest.x()));
            largest.setY(qMax(largest.y(), found.largest.y()));
        }
    }
    QVERIFY(TaskManager::inst()->getTaskCount() > 3);
    QCOMPARE(warnings.size(), 1);
    if (QTest::currentDataTag() == QByteArrayLiteral("50x50: smaller than the sprites need")) {
        // Stars and the parts of the sprites inside the 50x50 image are drawn.
        QVERIFY(sheetPixelsSeen > 0);
        QVERIFY2(largest.x() < 50 && largest.y() < 50,
                 qPrintable(QStringLiteral("%1,%2").arg(largest.x()).arg(largest.y())));
    } else if (!drawsSprites) {
        QCOMPARE(sheetPixelsSeen, 0);
        // The starfield's black and the debug line are all there is.
        QCOMPARE(frame.pixel(600, 400), qRgb(0, 0, 0));
    }
}

// Started from another folder, the game also looks beside the program: the
// one warning tells both places and what was wrong with each.
void TestHostileSheet::fallbackBesideTheProgramIsToldToo()
{
    const QString work = dir.filePath(QStringLiteral("work/bin"));
    QVERIFY(QDir().mkpath(work));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("work/img"))));
    QFile bomb(dir.filePath(QStringLiteral("work/img/sheet-for-fallback.png")));
    QVERIFY(bomb.open(QIODevice::WriteOnly));
    bomb.write(pngBomb(60000, 60000));
    bomb.close();

    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(work));
    previousHandler = qInstallMessageHandler(keepWarnings);
    Texture texture;
    texture.loadTexture(QStringLiteral("A"), QStringLiteral("../img/sheet-for-fallback.png"));
    QDir::setCurrent(previous);

    QCOMPARE(warnings.size(), 1);
    const QString beside =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../img/sheet-for-fallback.png");
    const QString expected =
        QStringLiteral("Cannot load image \"../img/sheet-for-fallback.png\" (working directory "
                       "\"%1\"): its header declares 60000x60000 pixels, more than the "
                       "4096x4096 allowed; also tried \"%2\": no such file; sprites from it will "
                       "not be drawn.")
            .arg(QDir(work).canonicalPath(), beside);
    QCOMPARE(warnings.constFirst(), expected);
    QVERIFY(texture.getTexture(QStringLiteral("A")).isNull());
}

QTEST_MAIN(TestHostileSheet)
#include "tst_hostilesheet.moc"
