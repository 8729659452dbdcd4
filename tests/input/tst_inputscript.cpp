#include <QtTest>

#include "input/inputscript.h"
#include "inputsupport.h"

// The joystick script: what the parser accepts and rejects, and what the
// joystick sees frame by frame.
class TestInputScript : public QObject {
    Q_OBJECT

private slots:
    void parseAccepts_data();
    void parseAccepts();
    void parseRejects_data();
    void parseRejects();
    void checkLines_data();
    void checkLines();
    void axesInvertDirectionCode();
    void pollFollowsTheSteps();
    void joystickSeesTheScript();
};

namespace {
// Steps written as "frame:dir:fire" joined by spaces, for compact rows.
QString describe(const QVector<InputScript::Step> &steps)
{
    QStringList parts;
    for (const InputScript::Step &step : steps)
        parts.append(QStringLiteral("%1:%2:%3").arg(step.frame).arg(step.dir).arg(int(step.fire)));
    return parts.join(QLatin1Char(' '));
}
// Bytes from a fixed xorshift sequence, NUL bytes made rare so that the
// first one falls on the third line.
QByteArray junk()
{
    QByteArray bytes = "0 0 0\n1 1 1\n";
    quint32 x = 88172645u;
    for (int i = 0; i < 4096; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        const char c = char(x % 251 + 1);
        bytes += c == '\n' ? 'n' : c;
    }
    bytes[bytes.size() / 2] = '\0';
    return bytes;
}

QByteArray goodLines(int count)
{
    QByteArray lines;
    for (int i = 0; i < count; ++i)
        lines += QByteArray::number(i) + " 0 0\n";
    return lines;
}
} // namespace

void TestInputScript::parseAccepts_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("steps");

    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("comments and blank lines")
        << QByteArray("# opening\n\n   \n0 0 0\n\t# indented comment\n10 7 1\n")
        << QStringLiteral("0:0:0 10:7:1");
    QTest::newRow("CRLF line endings")
        << QByteArray("0 1 0\r\n5 2 1\r\n\r\n") << QStringLiteral("0:1:0 5:2:1");
    QTest::newRow("no newline at the end") << QByteArray("3 8 0") << QStringLiteral("3:8:0");
    QTest::newRow("tabs and repeated spaces")
        << QByteArray("  4\t\t5   1  \n") << QStringLiteral("4:5:1");
    QTest::newRow("any non-zero FIRE holds the trigger")
        << QByteArray("0 0 -3\n1 0 2147483647\n2 0 +0\n") << QStringLiteral("0:0:1 1:0:1 2:0:0");
    QTest::newRow("largest frame")
        << QByteArray("2147483647 3 0\n") << QStringLiteral("2147483647:3:0");
    QTest::newRow("LF and CRLF mixed")
        << QByteArray("0 1 0\n1 2 0\r\n2 3 1\r\n") << QStringLiteral("0:1:0 1:2:0 2:3:1");
    QTest::newRow("10 MB of blanks before the numbers")
        << QByteArray(10 * 1024 * 1024, ' ') + "7 1 1\n"
        << QStringLiteral("7:1:1");
    QTest::newRow("leading zeros")
        << QByteArray("000000000000000000000000012 00 01\n") << QStringLiteral("12:0:1");
}

void TestInputScript::parseAccepts()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, steps);

    QVector<InputScript::Step> parsed;
    QString error;
    QVERIFY2(InputScript::parse(text, parsed, error), qPrintable(error));
    QCOMPARE(describe(parsed), steps);
    QVERIFY(error.isEmpty());
}

void TestInputScript::parseRejects_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");

    QTest::newRow("missing fields")
        << QByteArray("0 0 0\n# x\n5 1\n") << QStringLiteral("line 3: expected three integers");
    QTest::newRow("extra field") << QByteArray("0 0 0 0\n")
                                 << QStringLiteral("line 1: expected three integers");
    QTest::newRow("trailing comment is junk")
        << QByteArray("0 0 0 # fire\n") << QStringLiteral("line 1: expected three integers");
    QTest::newRow("decreasing frames")
        << QByteArray("10 0 0\n\n5 0 0\n") << QStringLiteral("line 3: FRAME 5 does not come after");
    QTest::newRow("same frame twice")
        << QByteArray("10 0 0\n10 1 0\n") << QStringLiteral("line 2: FRAME 10 does not come after");
    QTest::newRow("negative frame")
        << QByteArray("-1 0 0\n") << QStringLiteral("line 1: FRAME -1 is negative");
    QTest::newRow("word instead of a number")
        << QByteArray("0 left 1\n") << QStringLiteral("line 1: DIR \"left\" is not an integer");
    QTest::newRow("number with a suffix")
        << QByteArray("12x 0 0\n") << QStringLiteral("line 1: FRAME \"12x\" is not");
    QTest::newRow("lone sign") << QByteArray("0 0 -\n")
                               << QStringLiteral("line 1: FIRE \"-\" is not an integer");
    QTest::newRow("decimal point")
        << QByteArray("0 1.0 0\n") << QStringLiteral("line 1: DIR \"1.0\" is not");
    QTest::newRow("direction above 8")
        << QByteArray("0 9 0\n") << QStringLiteral("line 1: DIR 9 is not a direction code");
    QTest::newRow("negative direction")
        << QByteArray("0 -1 0\n") << QStringLiteral("line 1: DIR -1 is not a direction");
    QTest::newRow("frame just past int")
        << QByteArray("2147483648 0 0\n") << QStringLiteral("line 1: FRAME \"2147483648\" is too");
    QTest::newRow("huge fire value") << QByteArray("0 0 99999999999999999999999999999\n")
                                     << QStringLiteral("line 1: FIRE \"9999999999");
    QTest::newRow("direction below int")
        << QByteArray("0 -2147483649 0\n") << QStringLiteral("line 1: DIR \"-2147483649\" is too");
    QTest::newRow("NUL byte") << QByteArray("0 0 0\n1 0\0 0\n", 12)
                              << QStringLiteral("line 2: NUL byte");
    QTest::newRow("binary bytes are escaped")
        << QByteArray("0 \xff\x01 0\n") << QStringLiteral("line 1: DIR \"\\xff\\x01\" is not");
    QTest::newRow("20-digit frame")
        << QByteArray("0 0 0\n99999999999999999999 0 0\n")
        << QStringLiteral("line 2: FRAME \"99999999999999999999\" is too large");
    QTest::newRow("20-digit negative frame")
        << QByteArray("-99999999999999999999 0 0\n")
        << QStringLiteral("line 1: FRAME \"-99999999999999999999\" is too large");
    QTest::newRow("10 MB number, quoted short")
        << QByteArray("0 0 0\n") + QByteArray(10 * 1024 * 1024, '9') + " 0 0\n"
        << QStringLiteral("line 2: FRAME \"999999999999999999999999...\" is too large for an int");
    QTest::newRow("10 MB word, quoted short")
        << QByteArray("1 ") + QByteArray(10 * 1024 * 1024, 'x') + " 0"
        << QStringLiteral("line 1: DIR \"xxxxxxxxxxxxxxxxxxxxxxxx...\" is not an integer");
    QTest::newRow("CR inside a line")
        << QByteArray("0 0\r0\n") << QStringLiteral("line 1: expected three integers");
    QTest::newRow("binary junk") << junk() << QStringLiteral("line 3: NUL byte");
    QTest::newRow("error after 100000 good lines") << goodLines(100000) + "1 2 3 4\n"
                                                   << QStringLiteral("line 100001: expected three");
    QTest::newRow("old Mac line endings")
        << QByteArray("0 0 0\r1 0 0\r") << QStringLiteral("line 1: expected three integers");
}

void TestInputScript::parseRejects()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, error);

    QVector<InputScript::Step> parsed{{0, 1, true}};
    QString message;
    QVERIFY(!InputScript::parse(text, parsed, message));
    QVERIFY2(message.startsWith(error), qPrintable(message));
    QVERIFY(!message.contains(QLatin1Char('\n')));
    QVERIFY2(message.size() < 200, qPrintable(message.left(300)));
    QVERIFY(parsed.isEmpty());
}

void TestInputScript::checkLines_data()
{
    // checks: "frame:hash" joined by spaces; error: empty when the text is good.
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("checks");
    QTest::addColumn<QString>("error");

    const QByteArray h = "0123456789abcdef";
    QTest::newRow("a replay") << QByteArray("# shmup replay 1\n0 7 1\n# check 299 " + h +
                                            "\n300 0 0\n# check 599 ffffffffffffffff\n")
                              << QStringLiteral("299:0123456789abcdef 599:ffffffffffffffff")
                              << QString();
    QTest::newRow("other comments stay comments")
        << QByteArray("#check 5 x\n# checking 5\n## check 1\n# check\t7\t00000000000000aa\r\n")
        << QStringLiteral("7:00000000000000aa") << QString();
    QTest::newRow("no hash") << QByteArray("0 0 0\n# check 5\n") << QString()
                             << QStringLiteral("line 2: a check line is \"# check FRAME HASH\"");
    QTest::newRow("a word more") << QByteArray("# check 5 " + h + " x\n") << QString()
                                 << QStringLiteral("line 1: a check line is");
    QTest::newRow("negative frame")
        << QByteArray("# check -1 " + h + "\n") << QString()
        << QStringLiteral("line 1: check FRAME \"-1\" is not a frame number");
    QTest::newRow("frame past int") << QByteArray("# check 2147483648 " + h + "\n") << QString()
                                    << QStringLiteral("line 1: check FRAME \"2147483648\" is not");
    QTest::newRow("same frame twice")
        << QByteArray("# check 10 " + h + "\n# check 10 " + h + "\n") << QString()
        << QStringLiteral("line 2: check FRAME 10 does not come after the check of frame 10");
    QTest::newRow("upper-case hash") << QByteArray("# check 1 0123456789ABCDEF\n") << QString()
                                     << QStringLiteral("line 1: check HASH \"0123456789ABCDEF\"");
    QTest::newRow("15 digits") << QByteArray("# check 1 0123456789abcde\n") << QString()
                               << QStringLiteral("line 1: check HASH");
    QTest::newRow("17 digits") << QByteArray("# check 1 0123456789abcdef0\n") << QString()
                               << QStringLiteral("line 1: check HASH");
}

// Check lines are read only when asked for; either way the steps are the same,
// and a reader that does not verify skips even a broken check line.
void TestInputScript::checkLines()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, checks);
    QFETCH(QString, error);

    PARSE_SCRIPT(plain, text);

    QVector<InputScript::Step> steps{{0, 1, true}};
    QVector<InputScript::Check> parsed{{3, 3}};
    QString message;
    const bool ok = InputScript::parse(text, steps, parsed, message);
    if (!error.isEmpty()) {
        QVERIFY(!ok);
        QVERIFY2(message.startsWith(error), qPrintable(message));
        QVERIFY(steps.isEmpty() && parsed.isEmpty());
        return;
    }
    QVERIFY2(ok, qPrintable(message));
    QCOMPARE(describe(steps), describe(plain));
    QStringList got;
    for (const InputScript::Check &check : std::as_const(parsed))
        got.append(
            QStringLiteral("%1:%2").arg(check.frame).arg(check.hash, 16, 16, QLatin1Char('0')));
    QCOMPARE(got.join(QLatin1Char(' ')), checks);
}

void TestInputScript::axesInvertDirectionCode()
{
    for (int dir = 0; dir <= 8; ++dir) {
        int x = 9;
        int y = 9;
        InputScript::axes(dir, x, y);
        QCOMPARE(Joystick::directionCode(x, y), dir);
    }
}

void TestInputScript::pollFollowsTheSteps()
{
    PARSE_SCRIPT(steps, "2 3 1\n4 0 0\n5 6 0\n");
    InputScript script(steps);

    // Per frame: x, y, fire.
    const int expected[7][3] = {{0, 0, 0}, {0, 0, 0}, {-1, 0, 1}, {-1, 0, 1},
                                {0, 0, 0}, {1, 1, 0}, {1, 1, 0}};
    for (int frame = 0; frame < 7; ++frame) {
        InputState state;
        script.poll(state);
        QCOMPARE(state.x, expected[frame][0]);
        QCOMPARE(state.y, expected[frame][1]);
        QCOMPARE(state.triggers[0], bool(expected[frame][2]));
        QCOMPARE(state.triggers[1], false);
    }
}

void TestInputScript::joystickSeesTheScript()
{
    // Through the joystick, as the game polls it: one poll per frame.
    PARSE_SCRIPT(steps, "0 8 0\n1 4 1\n");
    Joystick joystick;
    joystick.addSource(new InputScript(steps));
    joystick.pool();
    QCOMPARE(joystick.getDir(), 8);
    QVERIFY(!joystick.isTrigged(0));
    joystick.pool();
    QCOMPARE(joystick.getDir(), 4);
    QVERIFY(joystick.isTrigged(0));
    joystick.pool();
    QCOMPARE(joystick.getDir(), 4);
}

QTEST_GUILESS_MAIN(TestInputScript)
#include "tst_inputscript.moc"
