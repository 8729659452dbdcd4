#include <QtTest>

#include "input/numbertext.h"

namespace {

QString describe(const QVector<NumberText::FrameRange> &ranges)
{
    QStringList parts;
    for (const NumberText::FrameRange &range : ranges)
        parts.append(QStringLiteral("%1-%2").arg(range.first).arg(range.last));
    return parts.join(QLatin1Char(' '));
}

} // namespace

// The numbers typed on a command line: counts, screen sizes and frame lists.
class TestNumberText : public QObject {
    Q_OBJECT

private slots:
    void toCount_data();
    void toCount();
    void toSize_data();
    void toSize();
    void toFrameList_data();
    void toFrameList();
};

void TestNumberText::toCount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("maxDigits");
    QTest::addColumn<int>("value"); // -1 when refused

    QTest::newRow("digits") << "600" << 0 << 600;
    QTest::newRow("zero") << "0" << 0 << 0;
    QTest::newRow("leading zeros within the digits") << "0007" << 4 << 7;
    QTest::newRow("leading zeros past the digits") << "00007" << 4 << -1;
    QTest::newRow("largest int") << "2147483647" << 0 << 2147483647;
    QTest::newRow("just past int") << "2147483648" << 0 << -1;
    QTest::newRow("forty digits") << QString(40, QLatin1Char('9')) << 0 << -1;
    QTest::newRow("empty") << "" << 0 << -1;
    QTest::newRow("a plus sign") << "+3" << 0 << -1;
    QTest::newRow("a minus sign") << "-3" << 0 << -1;
    QTest::newRow("a blank") << " 3" << 0 << -1;
    QTest::newRow("a suffix") << "10x" << 0 << -1;
    QTest::newRow("an Arabic-Indic digit") << QString(QChar(0x0663)) << 0 << -1;
    QTest::newRow("a superscript two") << QString(QChar(0x00b2)) << 0 << -1;
}

void TestNumberText::toCount()
{
    QFETCH(QString, text);
    QFETCH(int, maxDigits);
    QFETCH(int, value);
    int got = -1;
    QCOMPARE(NumberText::toCount(text, got, maxDigits), value >= 0);
    if (value >= 0)
        QCOMPARE(got, value);
}

void TestNumberText::toSize_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QSize>("size"); // invalid when refused

    QTest::newRow("the game's screen") << "640x480" << QSize(640, 480);
    QTest::newRow("smallest") << "1x1" << QSize(1, 1);
    QTest::newRow("largest") << "16384x16384" << QSize(16384, 16384);
    QTest::newRow("too wide") << "16385x480" << QSize();
    QTest::newRow("no height") << "640x" << QSize();
    QTest::newRow("zero height") << "640x0" << QSize();
    QTest::newRow("upper-case X") << "640X480" << QSize();
    QTest::newRow("three sides") << "1x2x3" << QSize();
    QTest::newRow("six digits") << "000640x480" << QSize();
}

void TestNumberText::toSize()
{
    QFETCH(QString, text);
    QFETCH(QSize, size);
    QSize got;
    QCOMPARE(NumberText::toSize(text, got), size.isValid());
    QCOMPARE(got, size);
}

void TestNumberText::toFrameList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("ranges"); // empty when the list is refused
    QTest::addColumn<QString>("error");

    QTest::newRow("one frame") << "7"
                               << "7-7" << QString();
    QTest::newRow("numbers and a range") << "0,64,100-120"
                                         << "0-0 64-64 100-120" << QString();
    QTest::newRow("a range of one") << "5-5"
                                    << "5-5" << QString();
    QTest::newRow("empty") << "" << QString() << "\"\" in the frame list";
    QTest::newRow("empty item") << "1,,2" << QString() << "\"\" in the frame list";
    QTest::newRow("a word") << "ten" << QString() << "\"ten\" in the frame list";
    QTest::newRow("open range") << "3-" << QString() << "\"3-\" in the frame list";
    QTest::newRow("negative") << "-3" << QString() << "\"-3\" in the frame list";
    QTest::newRow("a sign") << "+3" << QString() << "\"+3\" in the frame list";
    QTest::newRow("spaces") << "1, 2" << QString() << "\" 2\" in the frame list";
    QTest::newRow("backwards") << "9-3" << QString() << "the range \"9-3\" ends before it starts";
    QTest::newRow("too large") << "99999999999" << QString() << "\"99999999999\" in the";
}

void TestNumberText::toFrameList()
{
    QFETCH(QString, text);
    QFETCH(QString, ranges);
    QFETCH(QString, error);
    QVector<NumberText::FrameRange> parsed{{1, 2}};
    QString message;
    const bool ok = NumberText::toFrameList(text, parsed, message);
    QCOMPARE(ok, !ranges.isEmpty());
    QCOMPARE(describe(parsed), ranges);
    if (!ok)
        QVERIFY2(message.startsWith(error), qPrintable(message));
}

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
