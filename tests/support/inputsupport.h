#ifndef INPUTSUPPORT_H
#define INPUTSUPPORT_H

#include <QtTest>
#include <functional>

#include "input/inputscript.h"
#include "joystick.h"

// Test helpers shared by the tests of the input sources.

// Compares the joystick's direction code, then its triggers from trigger 0 on
// with as many expected values as are given; the test stops at the first that
// differs, as QCOMPARE does.
#define QCOMPARE_JOYSTICK(joystick, dir, ...)                                                      \
    do {                                                                                           \
        QCOMPARE((joystick)->getDir(), dir);                                                       \
        const bool expectedTriggers[] = {__VA_ARGS__};                                             \
        for (int trigger = 0; trigger < int(sizeof expectedTriggers); ++trigger)                   \
            if (!QTest::qCompare((joystick)->isTrigged(trigger), expectedTriggers[trigger],        \
                                 trigger ? "isTrigged(1)" : "isTrigged(0)", #__VA_ARGS__,          \
                                 __FILE__, __LINE__))                                              \
                return;                                                                            \
    } while (false)

// Declares `steps` as QFETCH declares its variable: the steps of `script`,
// parsed; the test stops with the parser's message if it is not a script.
#define PARSE_SCRIPT(steps, script)                                                                \
    QVector<InputScript::Step> steps;                                                              \
    QString steps##Error;                                                                          \
    QVERIFY2(InputScript::parse(script, steps, steps##Error), qPrintable(steps##Error))

// Stick positions on both sides of the dead zone's edge, read the same by every
// source with a stick: the axis values, the step each axis gives (-1, 0 or 1)
// and the direction code the two make.
struct StickPosition {
    const char *name;
    int x, y;
    int stepX, stepY;
    int dir;
};
static_assert(InputSource::kDeadZone == 8192, "the rows below sit at the dead zone's edge");
const StickPosition kStickPositions[] = {
    {"stick full left", -32767, 0, -1, 0, 3},
    {"stick at the lowest value", -32768, 0, -1, 0, 3},
    {"stick full right", 32767, 0, 1, 0, 7},
    {"stick full up", 0, -32767, 0, -1, 1},
    {"stick full down", 0, 32767, 0, 1, 5},
    {"stick just past the dead zone", 8193, -8193, 1, -1, 8},
    {"stick at the edge of the dead zone", 8192, -8192, 0, 0, 0},
    {"stick at the other edge of the dead zone", -8192, 8192, 0, 0, 0},
    {"stick resting off centre", -3000, 2500, 0, 0, 0},
    {"stick resting off centre the other way", 3000, -2500, 0, 0, 0},
};

// A clock the test sets by hand, for a source that waits before it looks for
// its device again; pollAt() sets it and runs the joystick's frame.
struct FakeClock {
    qint64 now = 0;
    std::function<qint64()> reader()
    {
        return [this] { return now; };
    }
    void pollAt(qint64 time)
    {
        now = time;
        Joystick::inst()->pool();
    }
};

#endif
