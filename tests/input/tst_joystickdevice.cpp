#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <fcntl.h>
#include <linux/joystick.h>
#include <sys/stat.h>
#include <unistd.h>

#include "input/joystickdevice.h"
#include "input/keyboardsource.h"
#include "inputsupport.h"
#include "testsupport.h"

// A Linux joystick device, played by a FIFO that the test writes real
// js_event records into: decoding, non-blocking draining, a device that
// breaks or goes away, and one that comes back.
class TestJoystickDevice : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void decodesEventRecords_data();
    void decodesEventRecords();
    void drainsPendingEventsEachFrame();
    void brokenDeviceIsClosedAndReleased_data();
    void brokenDeviceIsClosedAndReleased();
    void recordsSplitAcrossWritesAreJoined();
    void randomBytesKeepTheStateInRange();
    void reopensOnlyAfterTheRetryInterval();
    void unusablePathsLeaveTheStateAtRest_data();
    void unusablePathsLeaveTheStateAtRest();
    void deviceThatMayNotBeReadIsReportedOnce();
    void keyboardAndDeviceCombine();

private:
    // Opens the FIFO for writing without waiting for a reader; as it also
    // counts as a reader, the device sees no end of file while it is open.
    // This and write() say whether they could, for the test to QVERIFY.
    bool openWriter();
    void closeWriter();
    bool write(const QByteArray &bytes);

    Joystick *const joystick = Joystick::inst();
    QTemporaryDir dir;
    QString fifoPath;
    int writer = -1;
};

namespace {
QByteArray record(int type, int number, int value)
{
    js_event event{};
    event.time = 1234;
    event.type = quint8(type);
    event.number = quint8(number);
    event.value = qint16(value);
    return QByteArray(reinterpret_cast<const char *>(&event), sizeof event);
}

QByteArray axis(int number, int value)
{
    return record(JS_EVENT_AXIS, number, value);
}
QByteArray button(int number, bool pressed)
{
    return record(JS_EVENT_BUTTON, number, pressed);
}

// The state the whole records in `records` leave, decoded at once.
InputState decoded(const QByteArray &records)
{
    InputState held;
    for (int at = 0; at + int(sizeof(js_event)) <= records.size(); at += sizeof(js_event)) {
        js_event event;
        std::memcpy(&event, records.constData() + at, sizeof event);
        JoystickDevice::applyEvent(event, held);
    }
    return held;
}

// Creates an empty file at `path`.
bool touch(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}
} // namespace

// Declares `device` as QFETCH declares its variable: the device at the FIFO,
// read by the joystick, with the FIFO open for writing (or the test stops).
#define OPEN_DEVICE(device)                                                                        \
    QVERIFY(openWriter());                                                                         \
    auto *device = new JoystickDevice(fifoPath);                                                   \
    joystick->addSource(device)

void TestJoystickDevice::init()
{
    resetWorld();
    QVERIFY(dir.isValid());
    fifoPath = dir.filePath(QStringLiteral("js0"));
    ::unlink(QFile::encodeName(fifoPath).constData());
    QCOMPARE(::mkfifo(QFile::encodeName(fifoPath).constData(), 0600), 0);
}

void TestJoystickDevice::cleanup()
{
    closeWriter();
    resetWorld();
}

bool TestJoystickDevice::openWriter()
{
    writer = ::open(QFile::encodeName(fifoPath).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    return writer >= 0;
}

void TestJoystickDevice::closeWriter()
{
    if (writer >= 0)
        ::close(writer);
    writer = -1;
}

bool TestJoystickDevice::write(const QByteArray &bytes)
{
    return ::write(writer, bytes.constData(), size_t(bytes.size())) == ssize_t(bytes.size());
}

void TestJoystickDevice::decodesEventRecords_data()
{
    QTest::addColumn<QByteArray>("records");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("fire");
    QTest::addColumn<bool>("trigger1");

    for (const StickPosition &stick : kStickPositions)
        QTest::newRow(stick.name) << axis(0, stick.x) + axis(1, stick.y) << stick.stepX
                                  << stick.stepY << false << false;
    QTest::newRow("stick back to centre")
        << axis(0, 32767) + axis(0, 0) << 0 << 0 << false << false;
    QTest::newRow("other axes ignored")
        << axis(2, 32767) + axis(6, -32767) << 0 << 0 << false << false;
    QTest::newRow("button 0 fires") << button(0, true) << 0 << 0 << true << false;
    QTest::newRow("button 1 is trigger 1") << button(1, true) << 0 << 0 << false << true;
    QTest::newRow("button released")
        << button(0, true) + button(0, false) << 0 << 0 << false << false;
    QTest::newRow("other buttons ignored")
        << button(2, true) + button(255, true) << 0 << 0 << false << false;
    QTest::newRow("initial state counts") << record(JS_EVENT_AXIS | JS_EVENT_INIT, 0, -32767) +
                                                 record(JS_EVENT_BUTTON | JS_EVENT_INIT, 1, 1)
                                          << -1 << 0 << false << true;
    QTest::newRow("unknown type ignored") << record(0x04, 0, 32767) << 0 << 0 << false << false;
}

void TestJoystickDevice::decodesEventRecords()
{
    QFETCH(QByteArray, records);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(bool, fire);
    QFETCH(bool, trigger1);

    const InputState held = decoded(records);
    QCOMPARE(held.x, x);
    QCOMPARE(held.y, y);
    QCOMPARE(held.triggers[0], fire);
    QCOMPARE(held.triggers[1], trigger1);
}

void TestJoystickDevice::drainsPendingEventsEachFrame()
{
    OPEN_DEVICE(device);

    // Nothing written yet: the read would block, and must not.
    joystick->pool();
    QVERIFY(device->isOpen());
    QCOMPARE(joystick->getDir(), 0);

    QVERIFY(write(record(JS_EVENT_AXIS | JS_EVENT_INIT, 0, 0) +
                  record(JS_EVENT_AXIS | JS_EVENT_INIT, 1, 0) +
                  record(JS_EVENT_BUTTON | JS_EVENT_INIT, 0, 0) + axis(0, -32767) + axis(1, 30000) +
                  button(0, true)));
    joystick->pool();
    QCOMPARE_JOYSTICK(joystick, 4, true);

    // Held without new events, then the stick lets go while the button stays.
    joystick->pool();
    QCOMPARE(joystick->getDir(), 4);
    QVERIFY(write(axis(0, 0) + axis(1, 0)));
    joystick->pool();
    QCOMPARE_JOYSTICK(joystick, 0, true);
    QVERIFY(device->isOpen());
}

void TestJoystickDevice::brokenDeviceIsClosedAndReleased_data()
{
    QTest::addColumn<bool>("shortRecord");
    QTest::newRow("writer gone in the middle of a record") << true;
    QTest::newRow("writer gone, end of file") << false;
}

void TestJoystickDevice::brokenDeviceIsClosedAndReleased()
{
    QFETCH(bool, shortRecord);

    OPEN_DEVICE(device);
    QVERIFY(write(axis(1, -32767) + button(0, true) + button(1, true)));
    joystick->pool();
    QCOMPARE_JOYSTICK(joystick, 1, true);

    if (shortRecord)
        QVERIFY(write(axis(0, 32767).left(5)));
    closeWriter();
    joystick->pool();
    QVERIFY(!device->isOpen());
    QCOMPARE_JOYSTICK(joystick, 0, false, false);

    // The game goes on with the device closed.
    joystick->pool();
    QCOMPARE(joystick->getDir(), 0);
    QVERIFY(!device->isOpen());
}

namespace {
// The same pseudo-random numbers on every run.
quint32 nextRandom(quint32 &x)
{
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
}
} // namespace

// A FIFO written in pieces of any size, records cut anywhere: the game sees
// each record whole, in order, as a device writing whole records would give.
void TestJoystickDevice::recordsSplitAcrossWritesAreJoined()
{
    OPEN_DEVICE(device);

    // Per record written: the direction and fire the game shows afterwards.
    const QByteArray records[] = {axis(0, -32767), axis(1, -32767), button(0, true),
                                  axis(0, 0),      axis(1, 20000),  button(0, false),
                                  axis(0, 32767),  button(1, true), axis(1, 0)};
    const int dirs[] = {3, 2, 2, 1, 5, 5, 6, 6, 7};
    const bool fires[] = {false, false, true, true, true, false, false, false, false};
    quint32 seed = 12345;
    for (int round = 0; round < 50; ++round) {
        joystick->pool();
        for (int i = 0; i < 9; ++i) {
            // Every byte of the record but the last, in pieces of 1 to 7 bytes.
            const QByteArray &bytes = records[i];
            int at = 0;
            while (at < bytes.size() - 1) {
                const int piece = qMin(int(nextRandom(seed) % 7) + 1, bytes.size() - 1 - at);
                QVERIFY(write(bytes.mid(at, piece)));
                at += piece;
                joystick->pool();
                QVERIFY(device->isOpen());
                QCOMPARE(joystick->getDir(), i == 0 ? (round == 0 ? 0 : 7) : dirs[i - 1]);
            }
            QVERIFY(write(bytes.right(1)));
            joystick->pool();
            QCOMPARE_JOYSTICK(joystick, dirs[i], fires[i]);
        }
    }
}

// Junk on the device, in writes of any size: the state stays a valid
// direction with the two triggers, and the game goes on reading.
void TestJoystickDevice::randomBytesKeepTheStateInRange()
{
    OPEN_DEVICE(device);

    QByteArray all;
    quint32 seed = 987654321;
    for (int chunk = 0; chunk < 400; ++chunk) {
        QByteArray bytes(int(nextRandom(seed) % 40), '\0');
        for (char &c : bytes)
            c = char(nextRandom(seed));
        if (!bytes.isEmpty())
            QVERIFY(write(bytes));
        all += bytes;
        joystick->pool();
        QVERIFY(device->isOpen());
        QVERIFY(joystick->getDir() >= 0 && joystick->getDir() <= 8);
        QVERIFY(!joystick->isTrigged(2));
    }

    // The same bytes decoded at once end in the same state.
    const InputState once = decoded(all);
    QCOMPARE_JOYSTICK(joystick, Joystick::directionCode(once.x, once.y), once.triggers[0],
                      once.triggers[1]);

    // A flood of 5000 records waiting at once: a frame reads its share (the
    // stick still swinging left and right) and returns; later frames read on.
    // The junk's last record is completed first, so the flood starts aligned.
    QByteArray flood((8 - all.size() % 8) % 8, '\0');
    flood += axis(1, 0);
    for (int i = 0; i < 5000; ++i)
        flood += axis(0, i % 2 ? 32767 : -32767);
    QVERIFY(write(flood + axis(0, 0)));
    joystick->pool();
    QVERIFY(joystick->getDir() == 3 || joystick->getDir() == 7);
    for (int frame = 0; frame < 10; ++frame)
        joystick->pool();
    QCOMPARE(joystick->getDir(), 0);
    QVERIFY(device->isOpen());
}

void TestJoystickDevice::reopensOnlyAfterTheRetryInterval()
{
    FakeClock clock;
    auto *device = new JoystickDevice(fifoPath, 1000);
    device->now = clock.reader();
    joystick->addSource(device);

    QVERIFY(openWriter());
    clock.pollAt(5000);
    QVERIFY(device->isOpen());
    closeWriter();
    clock.pollAt(5300); // end of file: closed, next look at 6300
    QVERIFY(!device->isOpen());

    QVERIFY(openWriter());
    QVERIFY(write(button(0, true)));
    for (qint64 at : {5301, 5800, 6299}) {
        clock.pollAt(at);
        QVERIFY2(!device->isOpen(), qPrintable(QString::number(at)));
        QVERIFY(!joystick->isTrigged(0));
    }
    clock.pollAt(6300);
    QVERIFY(device->isOpen());
    QVERIFY(joystick->isTrigged(0));

    // A device missing at start is looked for once per interval, too.
    closeWriter();
    const QString laterPath = dir.filePath(QStringLiteral("js1"));
    auto *later = new JoystickDevice(laterPath, 1000);
    later->now = clock.reader();
    joystick->clearSources();
    joystick->addSource(later);
    clock.pollAt(10000);
    QVERIFY(!later->isOpen());
    QCOMPARE(::mkfifo(QFile::encodeName(laterPath).constData(), 0600), 0);
    clock.pollAt(10999);
    QVERIFY(!later->isOpen());
    fifoPath = laterPath;
    QVERIFY(openWriter());
    clock.pollAt(11000);
    QVERIFY(later->isOpen());
}

void TestJoystickDevice::unusablePathsLeaveTheStateAtRest_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("no such file") << QStringLiteral("missing/js0");
    QTest::newRow("a directory") << QString();
    QTest::newRow("an empty file") << QStringLiteral("empty");
}

void TestJoystickDevice::unusablePathsLeaveTheStateAtRest()
{
    QFETCH(QString, name);

    QVERIFY(touch(dir.filePath(QStringLiteral("empty"))));
    auto *device = new JoystickDevice(name.isEmpty() ? dir.path() : dir.filePath(name), 0);
    joystick->addSource(device);
    WarningCapture::warnings().clear();
    WarningCapture capture;
    for (int frame = 0; frame < 3; ++frame) {
        joystick->pool();
        QVERIFY(!device->isOpen());
        QCOMPARE_JOYSTICK(joystick, 0, false, false);
    }
    // No pad, or something that is not one, is nothing to tell the user about.
    QCOMPARE(WarningCapture::warnings(), QStringList());
}

void TestJoystickDevice::deviceThatMayNotBeReadIsReportedOnce()
{
    // A pad the user may not read: one warning with the fix, however often
    // the device is tried again, and the state stays at rest.
    const QString path = dir.filePath(QStringLiteral("js0-locked"));
    QVERIFY(touch(path));
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0000), 0);
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);

    QStringList warnings;
    QVERIFY(runUnprivileged(
        [&] {
            JoystickDevice device(path, 0);
            for (int frame = 0; frame < 5; ++frame) {
                InputState state;
                device.poll(state);
                if (device.isOpen() || state.x != 0 || state.triggers[0])
                    qWarning("the locked device was read");
            }
            // The check for builds that read pads through SDL says the same,
            // and nothing of a pad that is missing.
            JoystickDevice::checkAccess(path);
            JoystickDevice::checkAccess(dir.filePath(QStringLiteral("no-such-js")));
        },
        warnings));
    QCOMPARE(warnings.size(), 2);
    for (const QString &warning : std::as_const(warnings))
        QVERIFY2(warning.contains(path) && warning.contains("Permission denied") &&
                     warning.contains("\"input\" group"),
                 qPrintable(warning));
}

void TestJoystickDevice::keyboardAndDeviceCombine()
{
    QVERIFY(openWriter());
    auto *keyboard = new KeyboardSource(QCoreApplication::instance());
    joystick->addSource(keyboard);
    joystick->addSource(new JoystickDevice(fifoPath));

    QObject target;
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &left);
    QVERIFY(write(axis(0, 32767) + axis(1, -32767) + button(0, true)));
    joystick->pool();
    // Left key and right stick cancel; fire comes from the device alone.
    QCOMPARE_JOYSTICK(joystick, 1, true);

    QVERIFY(write(axis(0, -32767) + button(0, false)));
    joystick->pool();
    QCOMPARE_JOYSTICK(joystick, 2, false); // both left: still one step
}

QTEST_MAIN(TestJoystickDevice)
#include "tst_joystickdevice.moc"
