#include <QtTest>
#include <cmath>
#include <limits>

#include "rounding.h"

// Rounding of positions to the pixel a sprite is centred on.
class TestRounding : public QObject {
    Q_OBJECT

private slots:
    void roundHalfUp_data();
    void roundHalfUp();
    void comparedWithQRound_data();
    void comparedWithQRound();
    void roundedPoint();
};

void TestRounding::roundHalfUp_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<int>("expected");
    const int intMax = std::numeric_limits<int>::max();
    const int intMin = std::numeric_limits<int>::min();
    const float inf = std::numeric_limits<float>::infinity();

    QTest::newRow("positive half goes up") << 2.5f << 3;
    QTest::newRow("negative half goes up") << -2.5f << -2;
    QTest::newRow("one half") << 0.5f << 1;
    QTest::newRow("minus one half") << -0.5f << 0;
    QTest::newRow("minus one and a half") << -1.5f << -1;
    QTest::newRow("just below a positive half") << 2.4999f << 2;
    QTest::newRow("just above a positive half") << 2.5001f << 3;
    QTest::newRow("just above a negative half") << -2.4999f << -2;
    QTest::newRow("just below a negative half") << -2.5001f << -3;
    QTest::newRow("largest float below one half") << std::nextafter(0.5f, 0.0f) << 0;
    QTest::newRow("smallest float above minus one half") << std::nextafter(-0.5f, 0.0f) << 0;
    QTest::newRow("largest float below minus one half") << std::nextafter(-0.5f, -1.0f) << -1;
    QTest::newRow("float just above minus one") << std::nextafter(-1.0f, 0.0f) << -1;
    QTest::newRow("tiny negative") << -1e-30f << 0;
    QTest::newRow("zero") << 0.0f << 0;
    QTest::newRow("negative zero") << -0.0f << 0;
    QTest::newRow("a million and a half") << 1000000.5f << 1000001;
    QTest::newRow("minus a million and a half") << -1000000.5f << -1000000;
    QTest::newRow("last half before 2^23") << 8388607.5f << 8388608;
    QTest::newRow("minus the last half before 2^23") << -8388607.5f << -8388607;
    QTest::newRow("odd whole number above 2^23") << 8388609.0f << 8388609;
    QTest::newRow("negative odd whole number above 2^23") << -8388609.0f << -8388609;
    QTest::newRow("largest float below 2^31") << 2147483520.0f << 2147483520;
    QTest::newRow("2^31 saturates") << 2147483648.0f << intMax;
    QTest::newRow("1e20 saturates") << 1e20f << intMax;
    QTest::newRow("minus 2^31 is the smallest int") << -2147483648.0f << intMin;
    QTest::newRow("minus 3e9 saturates") << -3e9f << intMin;
    QTest::newRow("infinity") << inf << intMax;
    QTest::newRow("minus infinity") << -inf << intMin;
    QTest::newRow("NaN gives zero") << std::numeric_limits<float>::quiet_NaN() << 0;
}

void TestRounding::roundHalfUp()
{
    QFETCH(float, value);
    QFETCH(int, expected);
    QCOMPARE(::roundHalfUp(value), expected);
}

// Qt 5's qRound(float) still rounds as Qt 4 did; Qt 6 rounds negative halves
// away from zero, which would move sprites at negative half coordinates by a pixel.
void TestRounding::comparedWithQRound_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<bool>("negativeHalf");
    QTest::newRow("positive half") << 2.5f << false;
    QTest::newRow("positive quarter") << 7.25f << false;
    QTest::newRow("positive three quarters") << 7.75f << false;
    QTest::newRow("negative quarter") << -7.25f << false;
    QTest::newRow("negative three quarters") << -7.75f << false;
    QTest::newRow("negative whole") << -12.0f << false;
    QTest::newRow("minus one half") << -0.5f << true;
    QTest::newRow("minus two and a half") << -2.5f << true;
    QTest::newRow("off-screen star at -320.5") << -320.5f << true;
}

void TestRounding::comparedWithQRound()
{
    QFETCH(float, value);
    QFETCH(bool, negativeHalf);
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    QCOMPARE(::roundHalfUp(value), qRound(value) + (negativeHalf ? 1 : 0));
#else
    Q_UNUSED(negativeHalf)
    QCOMPARE(::roundHalfUp(value), qRound(value));
#endif
}

void TestRounding::roundedPoint()
{
    QCOMPARE(::roundedPoint(PointF(-2.5f, 2.5f)), QPoint(-2, 3));
    QCOMPARE(::roundedPoint(PointF(319.4f, -0.6f)), QPoint(319, -1));
}

QTEST_GUILESS_MAIN(TestRounding)
#include "tst_rounding.moc"
