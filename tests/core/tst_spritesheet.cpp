// The committed sprite sheet against the region table that every task draws from.

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QtTest>

#include "spritesheet.h"

using SpriteSheet::kRegions;
using SpriteSheet::Region;

namespace {

QRect regionNamed(const QString &name)
{
    for (const Region &r : kRegions)
        if (name == QLatin1String(r.name))
            return r.rect;
    return QRect();
}

// Bounding box, in sheet coordinates, of the pixels of `rect` whose alpha exceeds `threshold`.
QRect boundsAbove(const QImage &img, const QRect &rect, int threshold)
{
    QRect bounds;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (qAlpha(img.pixel(x, y)) > threshold)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

int peakAlpha(const QImage &img, const QRect &rect)
{
    int peak = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            peak = qMax(peak, qAlpha(img.pixel(x, y)));
    return peak;
}

// Alpha-weighted centre of the sprite, relative to the region's top-left.
QPointF centroid(const QImage &img, const QRect &rect)
{
    double sx = 0, sy = 0, total = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const int a = qAlpha(img.pixel(x, y));
            sx += a * (x - rect.left() + 0.5);
            sy += a * (y - rect.top() + 0.5);
            total += a;
        }
    return total > 0 ? QPointF(sx / total, sy / total) : QPointF(-1, -1);
}

} // namespace

class TestSpriteSheet : public QObject {
    Q_OBJECT

    QImage loaded;
    QImage sheet; // ARGB32 copy for pixel reads

private slots:
    void initTestCase();
    void sheetIsTransparentAndSized();
    void regionsLieApartOnTheSheet();
    void regionIsDrawn_data();
    void regionIsDrawn();
    void nothingOutsideTheRegions();
    void spriteIsCentredAcross_data();
    void spriteIsCentredAcross();
    void spriteFacesItsWay_data();
    void spriteFacesItsWay();
    void shotIsASlimBolt();
    void explosionGrowsAndFades();
    void enemyBulletAnimatesInPlace();
};

void TestSpriteSheet::initTestCase()
{
    loaded = QImage(QStringLiteral(SHMUP_SOURCE_DIR "/") + SpriteSheet::file());
    QVERIFY2(!loaded.isNull(), "img/edge1.png cannot be read");
    sheet = loaded.convertToFormat(QImage::Format_ARGB32);
}

void TestSpriteSheet::sheetIsTransparentAndSized()
{
    QCOMPARE(loaded.size(), SpriteSheet::kSize);
    QVERIFY(loaded.hasAlphaChannel());
    QCOMPARE(qAlpha(sheet.pixel(SpriteSheet::kSize.width() - 1, 0)), 0); // no region covers it
}

// Overlapping regions would show part of one sprite at the edge of another.
void TestSpriteSheet::regionsLieApartOnTheSheet()
{
    const QRect whole(QPoint(0, 0), SpriteSheet::kSize);
    for (const Region &r : kRegions) {
        QVERIFY2(whole.contains(r.rect), r.name);
        for (const Region &other : kRegions)
            QVERIFY2(&r == &other || !r.rect.intersects(other.rect),
                     qPrintable(QStringLiteral("%1 overlaps %2").arg(r.name, other.name)));
    }
}

void TestSpriteSheet::regionIsDrawn_data()
{
    QTest::addColumn<QRect>("rect");
    for (const Region &r : kRegions)
        QTest::newRow(r.name) << r.rect;
}

void TestSpriteSheet::regionIsDrawn()
{
    QFETCH(QRect, rect);
    QVERIFY2(!boundsAbove(sheet, rect, 128).isEmpty(), "no clearly opaque pixel in the region");
}

void TestSpriteSheet::nothingOutsideTheRegions()
{
    int stray = 0;
    QPoint first;
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x) {
            if (qAlpha(sheet.pixel(x, y)) == 0)
                continue;
            bool inside = false;
            for (const Region &r : kRegions)
                inside = inside || r.rect.contains(x, y);
            if (!inside && stray++ == 0)
                first = QPoint(x, y);
        }
    QVERIFY2(stray == 0,
             qPrintable(QStringLiteral("%1 visible pixels outside every region, first at "
                                       "(%2, %3)")
                            .arg(stray)
                            .arg(first.x())
                            .arg(first.y())));
}

void TestSpriteSheet::spriteIsCentredAcross_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"player shot", "player ship", "star", "aiming enemy", "large enemy",
                             "small enemy", "enemy bullet 0", "explosion 0"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// putSprite centres the region on the task's position, so an off-centre drawing would make shots
// leave the ship's side and hits look misplaced.
void TestSpriteSheet::spriteIsCentredAcross()
{
    QFETCH(QString, name);
    const QRect rect = regionNamed(name);
    const QPointF centre = centroid(sheet, rect);
    QVERIFY2(
        qAbs(centre.x() - rect.width() / 2.0) <= 1.0,
        qPrintable(
            QStringLiteral("weighted centre at x %1 of %2").arg(centre.x()).arg(rect.width())));
    const QRect bounds = boundsAbove(sheet, rect, 0);
    const int leftMargin = bounds.left() - rect.left();
    const int rightMargin = rect.right() - bounds.right();
    QVERIFY2(
        qAbs(leftMargin - rightMargin) <= 1,
        qPrintable(QStringLiteral("margins %1 left, %2 right").arg(leftMargin).arg(rightMargin)));
}

void TestSpriteSheet::spriteFacesItsWay_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("noseUp");
    QTest::newRow("player ship flies up") << QStringLiteral("player ship") << true;
    QTest::newRow("aiming enemy comes down") << QStringLiteral("aiming enemy") << false;
    QTest::newRow("large enemy comes down") << QStringLiteral("large enemy") << false;
    QTest::newRow("small enemy comes down") << QStringLiteral("small enemy") << false;
}

// A pointed craft: its nose is the narrow end, and its bulk (wings) lies behind the nose.
void TestSpriteSheet::spriteFacesItsWay()
{
    QFETCH(QString, name);
    QFETCH(bool, noseUp);
    const QRect rect = regionNamed(name);
    const QRect bounds = boundsAbove(sheet, rect, 128);
    const int noseRow = noseUp ? bounds.top() : bounds.bottom();
    const QRect nose = boundsAbove(sheet, QRect(rect.left(), noseRow, rect.width(), 1), 128);
    QVERIFY2(nose.width() <= rect.width() / 8,
             qPrintable(QStringLiteral("nose row %1 px wide").arg(nose.width())));

    const double bulkY = centroid(sheet, rect).y() + rect.top();
    const double middleY = (bounds.top() + bounds.bottom() + 1) / 2.0;
    if (noseUp)
        QVERIFY2(bulkY > middleY, "bulk is not behind an upward nose");
    else
        QVERIFY2(bulkY < middleY, "bulk is not behind a downward nose");
}

void TestSpriteSheet::shotIsASlimBolt()
{
    const QRect bolt = boundsAbove(sheet, regionNamed(QStringLiteral("player shot")), 128);
    QVERIFY2(bolt.width() <= 8, qPrintable(QStringLiteral("bolt %1 px wide").arg(bolt.width())));
    QVERIFY2(bolt.height() >= 2 * bolt.width(), "bolt is not longer than it is wide");
}

// The explosion's four cells play in order: each is wider than the one before, and it fades.
void TestSpriteSheet::explosionGrowsAndFades()
{
    int previousWidth = 0;
    int previousPeak = 256;
    int firstPeak = 0;
    for (int n = 0; n < SpriteSheet::kCells; ++n) {
        const QRect cell = SpriteSheet::kExplosion[n];
        const int width = boundsAbove(sheet, cell, 16).width();
        const int peak = peakAlpha(sheet, cell);
        QVERIFY2(width > previousWidth,
                 qPrintable(QStringLiteral("cell %1 is %2 px wide, cell before %3")
                                .arg(n)
                                .arg(width)
                                .arg(previousWidth)));
        QVERIFY2(peak <= previousPeak, qPrintable(QStringLiteral("cell %1 is more opaque").arg(n)));
        if (n == 0)
            firstPeak = peak;
        previousWidth = width;
        previousPeak = peak;
    }
    QVERIFY2(previousPeak < firstPeak, "the last cell is as opaque as the first");
}

// Each cell differs from the next (the loop 3 -> 0 included) but the ball stays on its centre.
void TestSpriteSheet::enemyBulletAnimatesInPlace()
{
    for (int f = 0; f < SpriteSheet::kCells; ++f) {
        const QRect cell = SpriteSheet::kEnemyBullet[f];
        const QRect next = SpriteSheet::kEnemyBullet[(f + 1) % SpriteSheet::kCells];
        QVERIFY2(sheet.copy(cell) != sheet.copy(next),
                 qPrintable(QStringLiteral("cell %1 equals the next").arg(f)));
        const QPointF centre = centroid(sheet, cell);
        QVERIFY2(qAbs(centre.x() - 8) <= 0.5 && qAbs(centre.y() - 8) <= 0.5,
                 qPrintable(QStringLiteral("cell %1 centred at (%2, %3)")
                                .arg(f)
                                .arg(centre.x())
                                .arg(centre.y())));
    }
}

QTEST_GUILESS_MAIN(TestSpriteSheet)
#include "tst_spritesheet.moc"
