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

    // The row, the text and the steps read.
    const char *const rows[][3] = {
        {"comments and blank lines", "# opening\n\n   \n0 0 0\n\t# indented comment\n10 7 1\n",
         "0:0:0 10:7:1"},
        {"CRLF line endings", "0 1 0\r\n5 2 1\r\n\r\n", "0:1:0 5:2:1"},
        {"no newline at the end", "3 8 0", "3:8:0"},
        {"tabs and repeated spaces", "  4\t\t5   1  \n", "4:5:1"},
        {"any non-zero FIRE holds the trigger", "0 0 -3\n1 0 2147483647\n2 0 +0\n",
         "0:0:1 1:0:1 2:0:0"},
        {"largest frame", "2147483647 3 0\n", "2147483647:3:0"},
        {"LF and CRLF mixed", "0 1 0\n1 2 0\r\n2 3 1\r\n", "0:1:0 1:2:0 2:3:1"},
        {"leading zeros", "000000000000000000000000012 00 01\n", "12:0:1"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QByteArray(row[1]) << QString::fromUtf8(row[2]);

    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("10 MB of blanks before the numbers")
        << QByteArray(10 * 1024 * 1024, ' ') + "7 1 1\n"
        << QStringLiteral("7:1:1");
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

    // The row, the text and how its error begins.
    const char *const rows[][3] = {
        {"missing fields", "0 0 0\n# x\n5 1\n", "line 3: expected three integers"},
        {"extra field", "0 0 0 0\n", "line 1: expected three integers"},
        {"trailing comment is junk", "0 0 0 # fire\n", "line 1: expected three integers"},
        {"decreasing frames", "10 0 0\n\n5 0 0\n", "line 3: FRAME 5 does not come after"},
        {"same frame twice", "10 0 0\n10 1 0\n", "line 2: FRAME 10 does not come after"},
        {"negative frame", "-1 0 0\n", "line 1: FRAME -1 is negative"},
        {"word instead of a number", "0 left 1\n", "line 1: DIR \"left\" is not an integer"},
        {"number with a suffix", "12x 0 0\n", "line 1: FRAME \"12x\" is not"},
        {"lone sign", "0 0 -\n", "line 1: FIRE \"-\" is not an integer"},
        {"decimal point", "0 1.0 0\n", "line 1: DIR \"1.0\" is not"},
        {"direction above 8", "0 9 0\n", "line 1: DIR 9 is not a direction code"},
        {"negative direction", "0 -1 0\n", "line 1: DIR -1 is not a direction"},
        {"frame just past int", "2147483648 0 0\n", "line 1: FRAME \"2147483648\" is too"},
        {"huge fire value", "0 0 99999999999999999999999999999\n", "line 1: FIRE \"9999999999"},
        {"direction below int", "0 -2147483649 0\n", "line 1: DIR \"-2147483649\" is too"},
        {"binary bytes are escaped", "0 \xff\x01 0\n", "line 1: DIR \"\\xff\\x01\" is not"},
        {"20-digit frame", "0 0 0\n99999999999999999999 0 0\n",
         "line 2: FRAME \"99999999999999999999\" is too large"},
        {"20-digit negative frame", "-99999999999999999999 0 0\n",
         "line 1: FRAME \"-99999999999999999999\" is too large"},
        {"CR inside a line", "0 0\r0\n", "line 1: expected three integers"},
        {"old Mac line endings", "0 0 0\r1 0 0\r", "line 1: expected three integers"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QByteArray(row[1]) << QString::fromUtf8(row[2]);

    QTest::newRow("NUL byte") << QByteArray("0 0 0\n1 0\0 0\n", 12)
                              << QStringLiteral("line 2: NUL byte");
    QTest::newRow("10 MB number, quoted short")
        << QByteArray("0 0 0\n") + QByteArray(10 * 1024 * 1024, '9') + " 0 0\n"
        << QStringLiteral("line 2: FRAME \"999999999999999999999999...\" is too large for an int");
    QTest::newRow("10 MB word, quoted short")
        << QByteArray("1 ") + QByteArray(10 * 1024 * 1024, 'x') + " 0"
        << QStringLiteral("line 1: DIR \"xxxxxxxxxxxxxxxxxxxxxxxx...\" is not an integer");
    QTest::newRow("binary junk") << junk() << QStringLiteral("line 3: NUL byte");
    QTest::newRow("error after 100000 good lines") << goodLines(100000) + "1 2 3 4\n"
                                                   << QStringLiteral("line 100001: expected three");
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
