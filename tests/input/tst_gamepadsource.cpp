#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <SDL.h>
#include <csignal>
#include <cstring>

#include "app/defaultsources.h"
#include "input/gamepadsource.h"
#include "inputsupport.h"
#include "testsupport.h"
#include "view.h"

// Game pads through SDL, driven end to end with SDL's virtual joysticks: SDL's
// game-controller layer maps them like real pads, with no kernel device. A
// real pad plugged into the test machine is read too; at rest it changes no
// result, so counts of pads are taken relative to the ones found at the start.
class TestGamePadSource : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void steersAndFires_data();
    void steersAndFires();
    void southFiresOneShotPerFrameThroughTheShip();
    void startAndBackQuitOncePerPress();
    void startAndBackEndTheEventLoop();
    void padsComeAndGoBetweenFrames();
    void twoPadsAtOnce();
    void unmappablePadIsReadAsAPlainJoystick();
    void mappingsFromTheEnvironment_data();
    void mappingsFromTheEnvironment();
    void startsSdlOnlyForTheDefaultSources();
    void leavesTheSignalsToTheGame();

private:
    // One virtual pad, opened by the test to set its state.
    struct Pad {
        SDL_Joystick *handle = nullptr;
        SDL_JoystickID id = -1;
    };
    Pad attach(bool mappable);
    // The checks in these helpers are made by the tests, with QVERIFY on what
    // they return, so that a failure stops the test where it happened.
    bool detach(Pad &pad);
    bool start();
    void stop();
    // Set the buttons and axes of a mappable pad by their standard names; false
    // if SDL refuses.
    static bool press(const Pad &pad, SDL_GameControllerButton button, bool down = true);
    static bool tilt(const Pad &pad, SDL_GameControllerAxis axis, int value);

    Joystick *const joystick = Joystick::inst();
    GamePadSource *source = nullptr;
    int padsAtStart = 0;
    QList<Pad> attached;
};

namespace {
// The buttons and axes a mappable virtual pad has: every standard one, so its
// button and axis numbers are the standard ones.
const int kButtons = SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1;
const int kAxes = SDL_CONTROLLER_AXIS_MAX;

int warnings = 0;
void countWarnings(QtMsgType type, const QMessageLogContext &, const QString &)
{
    if (type != QtDebugMsg)
        ++warnings;
}
} // namespace

// Declares `pad` as QFETCH declares its variable: a virtual pad, mappable or
// not, attached for this test; the test stops if SDL cannot attach one.
#define ATTACH_PAD(pad, mappable)                                                                  \
    Pad pad = attach(mappable);                                                                    \
    QVERIFY(pad.handle)

void TestGamePadSource::init()
{
    resetWorld();
    QVERIFY(start());
}

void TestGamePadSource::cleanup()
{
    while (!attached.isEmpty()) {
        Pad pad = attached.first();
        detach(pad);
    }
    stop();
    qunsetenv("SDL_GAMECONTROLLERCONFIG");
    qunsetenv("SDL_GAMECONTROLLERCONFIG_FILE");
    resetWorld();
}

bool TestGamePadSource::start()
{
    source = new GamePadSource;
    if (!source->isStarted())
        return false;
    joystick->addSource(source);
    joystick->pool();
    padsAtStart = source->padCount();
    return true;
}

void TestGamePadSource::stop()
{
    joystick->clearSources();
    source = nullptr;
}

TestGamePadSource::Pad TestGamePadSource::attach(bool mappable)
{
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    if (mappable) {
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = kAxes;
        desc.nbuttons = kButtons;
        desc.button_mask = (1u << kButtons) - 1;
        desc.axis_mask = (1u << kAxes) - 1;
        desc.name = "Test pad";
    } else {
        desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
        desc.naxes = 2;
        desc.nbuttons = 4;
        desc.nhats = 1;
        desc.name = "Test stick";
    }
    Pad pad;
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0)
        return pad;
    pad.handle = SDL_JoystickOpen(index);
    pad.id = SDL_JoystickInstanceID(pad.handle);
    attached.append(pad);
    return pad;
}

bool TestGamePadSource::detach(Pad &pad)
{
    const Pad gone = pad;
    pad = Pad();
    for (int i = 0; i < attached.size(); ++i)
        if (attached.at(i).id == gone.id)
            attached.removeAt(i--);
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
        if (SDL_JoystickGetDeviceInstanceID(index) == gone.id) {
            SDL_JoystickClose(gone.handle);
            return SDL_JoystickDetachVirtual(index) == 0;
        }
    }
    return true;
}

bool TestGamePadSource::press(const Pad &pad, SDL_GameControllerButton button, bool down)
{
    return SDL_JoystickSetVirtualButton(pad.handle, button, down ? 1 : 0) == 0;
}

bool TestGamePadSource::tilt(const Pad &pad, SDL_GameControllerAxis axis, int value)
{
    return SDL_JoystickSetVirtualAxis(pad.handle, axis, Sint16(value)) == 0;
}

// Each row: buttons pressed and the left stick's position on one pad.
void TestGamePadSource::steersAndFires_data()
{
    QTest::addColumn<QList<int>>("buttons");
    QTest::addColumn<int>("stickX");
    QTest::addColumn<int>("stickY");
    QTest::addColumn<int>("dir");
    QTest::addColumn<bool>("fire");
    QTest::addColumn<bool>("trigger1");

    using B = QList<int>;
    const int up = SDL_CONTROLLER_BUTTON_DPAD_UP, down = SDL_CONTROLLER_BUTTON_DPAD_DOWN;
    const int left = SDL_CONTROLLER_BUTTON_DPAD_LEFT, right = SDL_CONTROLLER_BUTTON_DPAD_RIGHT;
    QTest::newRow("nothing held") << B() << 0 << 0 << 0 << false << false;
    for (const StickPosition &stick : kStickPositions)
        QTest::newRow(stick.name) << B() << stick.x << stick.y << stick.dir << false << false;
    QTest::newRow("d-pad up") << B{up} << 0 << 0 << 1 << false << false;
    QTest::newRow("d-pad up-left") << B{up, left} << 0 << 0 << 2 << false << false;
    QTest::newRow("d-pad down-left") << B{down, left} << 0 << 0 << 4 << false << false;
    QTest::newRow("d-pad down-right") << B{down, right} << 0 << 0 << 6 << false << false;
    QTest::newRow("d-pad left and right cancel") << B{left, right} << 0 << 0 << 0 << false << false;
    QTest::newRow("d-pad up, stick right") << B{up} << 32767 << 0 << 8 << false << false;
    QTest::newRow("d-pad left, stick right cancel") << B{left} << 32767 << 0 << 0 << false << false;
    QTest::newRow("d-pad and stick both left") << B{left} << -32768 << 0 << 3 << false << false;
    QTest::newRow("South fires") << B{SDL_CONTROLLER_BUTTON_A} << 0 << 0 << 0 << true << false;
    QTest::newRow("East is trigger 1")
        << B{SDL_CONTROLLER_BUTTON_B} << 0 << 0 << 0 << false << true;
    QTest::newRow("West, North and the shoulders do nothing")
        << B{SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_Y, SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
             SDL_CONTROLLER_BUTTON_RIGHTSHOULDER}
        << 0 << 0 << 0 << false << false;
    QTest::newRow("fire while steering")
        << B{SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B, down} << -32768 << 0 << 4 << true
        << true;
}

void TestGamePadSource::steersAndFires()
{
    QFETCH(QList<int>, buttons);
    QFETCH(int, stickX);
    QFETCH(int, stickY);
    QFETCH(int, dir);
    QFETCH(bool, fire);
    QFETCH(bool, trigger1);

    ATTACH_PAD(pad, true);
    for (int button : buttons)
        QVERIFY(press(pad, SDL_GameControllerButton(button)));
    QVERIFY(tilt(pad, SDL_CONTROLLER_AXIS_LEFTX, stickX));
    QVERIFY(tilt(pad, SDL_CONTROLLER_AXIS_LEFTY, stickY));
    // The right stick and the analogue triggers steer and fire nothing.
    QVERIFY(tilt(pad, SDL_CONTROLLER_AXIS_RIGHTX, 32767));
    QVERIFY(tilt(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767));

    joystick->pool();
    QCOMPARE(source->mappedPadCount(), padsAtStart + 1);
    QCOMPARE_JOYSTICK(joystick, dir, fire, trigger1);

    // Held without change, the next frame reads the same.
    joystick->pool();
    QCOMPARE_JOYSTICK(joystick, dir, fire);
}

void TestGamePadSource::southFiresOneShotPerFrameThroughTheShip()
{
    taskMyShip *ship = activeShipAt(PointF(320.0f, 352.0f));
    ATTACH_PAD(pad, true);

    QVERIFY(press(pad, SDL_CONTROLLER_BUTTON_B)); // the second trigger does not fire
    View::stepGame();
    QCOMPARE(shotsInPlay(), 0);
    QVERIFY(press(pad, SDL_CONTROLLER_BUTTON_A));
    QVERIFY(tilt(pad, SDL_CONTROLLER_AXIS_LEFTX, 32767));
    for (int held = 1; held <= 5; ++held) {
        View::stepGame();
        QCOMPARE(shotsInPlay(), held);
    }
    QCOMPARE(ship->pos, PointF(340.0f, 352.0f));
    QVERIFY(press(pad, SDL_CONTROLLER_BUTTON_A, false));
    QVERIFY(tilt(pad, SDL_CONTROLLER_AXIS_LEFTX, 0));
    View::stepGame();
    View::stepGame();
    QCOMPARE(shotsInPlay(), 5);
    QCOMPARE(ship->pos, PointF(340.0f, 352.0f));
}

void TestGamePadSource::startAndBackQuitOncePerPress()
{
    int quits = 0;
    source->quit = [&quits] { ++quits; };
    ATTACH_PAD(pad, true);

    // Each alone does nothing.
    QVERIFY(press(pad, SDL_CONTROLLER_BUTTON_START));
    joystick->pool();
    QVERIFY(press(pad, SDL_CONTROLLER_BUTTON_START, false));
    QVERIFY(press(pad, SDL_CONTROLLER_BUTTON_BACK));
    joystick->pool();
    QCOMPARE(quits, 0);

    // Both, held over several frames: once.
    QVERIFY(press(pad, SDL_CONTROLLER_BUTTON_START));
    for (int frame = 0; frame < 5; ++frame)
        joystick->pool();
    QCOMPARE(quits, 1);
    // Let go of one and press it again: a second press.
    QVERIFY(press(pad, SDL_CONTROLLER_BUTTON_BACK, false));
    joystick->pool();
    QVERIFY(press(pad, SDL_CONTROLLER_BUTTON_BACK));
    joystick->pool();
    joystick->pool();
    QCOMPARE(quits, 2);
}

void TestGamePadSource::startAndBackEndTheEventLoop()
{
    ATTACH_PAD(pad, true);
    int frames = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        if (++frames == 3) {
            QVERIFY(press(pad, SDL_CONTROLLER_BUTTON_START));
            QVERIFY(press(pad, SDL_CONTROLLER_BUTTON_BACK));
        }
        joystick->pool();
    });
    ticks.start(1);
    QCOMPARE(runEventLoop(1), 0);
    QVERIFY(frames >= 3);
}

void TestGamePadSource::padsComeAndGoBetweenFrames()
{
    warnings = 0;
    const QtMessageHandler previous = qInstallMessageHandler(countWarnings);
    for (int round = 0; round < 3; ++round) {
        ATTACH_PAD(pad, true);
        QVERIFY(press(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT));
        QVERIFY(press(pad, SDL_CONTROLLER_BUTTON_A));
        joystick->pool();
        QCOMPARE(source->padCount(), padsAtStart + 1);
        QCOMPARE_JOYSTICK(joystick, 3, true);

        // Pulled out while held: nothing stays pressed.
        QVERIFY(detach(pad));
        for (int frame = 0; frame < 3; ++frame) {
            joystick->pool();
            QCOMPARE(source->padCount(), padsAtStart);
            QCOMPARE_JOYSTICK(joystick, 0, false);
        }
    }
    // A pad plugged in and out between two frames is never seen.
    ATTACH_PAD(brief, true);
    QVERIFY(press(brief, SDL_CONTROLLER_BUTTON_A));
    QVERIFY(detach(brief));
    joystick->pool();
    QCOMPARE(source->padCount(), padsAtStart);
    QVERIFY(!joystick->isTrigged(0));
    qInstallMessageHandler(previous);
    QCOMPARE(warnings, 0);
}

void TestGamePadSource::twoPadsAtOnce()
{
    ATTACH_PAD(first, true);
    ATTACH_PAD(second, true);

    QVERIFY(tilt(first, SDL_CONTROLLER_AXIS_LEFTX, -32768));
    QVERIFY(press(second, SDL_CONTROLLER_BUTTON_DPAD_UP));
    joystick->pool();
    QCOMPARE(source->padCount(), padsAtStart + 2);
    QCOMPARE_JOYSTICK(joystick, 2, false); // left and up make up-left

    QVERIFY(press(second, SDL_CONTROLLER_BUTTON_DPAD_UP, false));
    QVERIFY(press(second, SDL_CONTROLLER_BUTTON_DPAD_RIGHT));
    QVERIFY(press(second, SDL_CONTROLLER_BUTTON_A));
    QVERIFY(press(first, SDL_CONTROLLER_BUTTON_B));
    joystick->pool();
    QCOMPARE_JOYSTICK(joystick, 0, true, true); // left and right cancel

    // Both left, on the stick of one and the d-pad of the other: one step.
    QVERIFY(press(second, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false));
    QVERIFY(press(second, SDL_CONTROLLER_BUTTON_DPAD_LEFT));
    joystick->pool();
    QCOMPARE(joystick->getDir(), 3);

    QVERIFY(detach(first));
    joystick->pool();
    QCOMPARE(source->padCount(), padsAtStart + 1);
    QCOMPARE_JOYSTICK(joystick, 3, true, false);
}

void TestGamePadSource::unmappablePadIsReadAsAPlainJoystick()
{
    ATTACH_PAD(pad, false);
    joystick->pool();
    QCOMPARE(source->padCount(), padsAtStart + 1);
    QCOMPARE(source->mappedPadCount(), padsAtStart);

    struct Step {
        int x, y, hat;
        bool button0, button1, button2;
        int dir;
        bool fire, trigger1;
    };
    const Step steps[] = {
        {32767, 0, SDL_HAT_CENTERED, false, false, false, 7, false, false},
        {8192, -8193, SDL_HAT_CENTERED, false, false, false, 1, false, false},
        {-20000, 20000, SDL_HAT_CENTERED, true, false, false, 4, true, false},
        {0, 0, SDL_HAT_CENTERED, false, true, false, 0, false, true},
        // Neither the hat nor the other buttons: only what the js0 reader reads.
        {0, 0, SDL_HAT_LEFTUP, false, false, true, 0, false, false},
    };
    for (const Step &step : steps) {
        QCOMPARE(SDL_JoystickSetVirtualAxis(pad.handle, 0, Sint16(step.x)), 0);
        QCOMPARE(SDL_JoystickSetVirtualAxis(pad.handle, 1, Sint16(step.y)), 0);
        QCOMPARE(SDL_JoystickSetVirtualHat(pad.handle, 0, Uint8(step.hat)), 0);
        QCOMPARE(SDL_JoystickSetVirtualButton(pad.handle, 0, step.button0), 0);
        QCOMPARE(SDL_JoystickSetVirtualButton(pad.handle, 1, step.button1), 0);
        QCOMPARE(SDL_JoystickSetVirtualButton(pad.handle, 2, step.button2), 0);
        joystick->pool();
        QCOMPARE_JOYSTICK(joystick, step.dir, step.fire, step.trigger1);
    }
}

void TestGamePadSource::mappingsFromTheEnvironment_data()
{
    QTest::addColumn<bool>("inFile");
    QTest::newRow("SDL_GAMECONTROLLERCONFIG") << false;
    QTest::newRow("SDL_GAMECONTROLLERCONFIG_FILE") << true;
}

// A user's mapping makes a pad SDL could not map a game controller: here
// button 2 becomes South and the hat the d-pad. SDL reads both variables when
// it starts; in a file, it takes only the lines for its own platform.
void TestGamePadSource::mappingsFromTheEnvironment()
{
    QFETCH(bool, inFile);

    ATTACH_PAD(pad, false);
    char guid[33];
    SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(pad.handle), guid, sizeof guid);
    // Mappings name a pad with the checksum of its name (bytes 2 and 3) left
    // out, as the community database writes them; SDL matches them so.
    std::memset(guid + 4, '0', 4);
    QVERIFY(detach(pad));
    stop();
    QCOMPARE(SDL_WasInit(0), 0u);

    const QByteArray mapping = QByteArray(guid) +
                               ",Test stick,a:b2,b:b3,dpup:h0.1,dpright:h0.2,dpdown:h0.4,"
                               "dpleft:h0.8,leftx:a0,lefty:a1,platform:Linux,";
    QTemporaryDir dir;
    if (inFile) {
        QFile file(dir.filePath(QStringLiteral("mappings.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("# a user's mappings\n" + mapping + "\n");
        file.close();
        qputenv("SDL_GAMECONTROLLERCONFIG_FILE", QFile::encodeName(file.fileName()));
    } else {
        qputenv("SDL_GAMECONTROLLERCONFIG", mapping);
    }
    QVERIFY(start());
    pad = attach(false);
    QVERIFY(pad.handle);
    QCOMPARE(SDL_JoystickSetVirtualButton(pad.handle, 2, 1), 0);
    QCOMPARE(SDL_JoystickSetVirtualHat(pad.handle, 0, SDL_HAT_LEFTUP), 0);
    joystick->pool();
    QCOMPARE(source->mappedPadCount(), padsAtStart + 1);
    QCOMPARE_JOYSTICK(joystick, 2, true);
}

void TestGamePadSource::startsSdlOnlyForTheDefaultSources()
{
    stop();
    QCOMPARE(SDL_WasInit(0), 0u);

    // Set up as the trace tool does: the script alone, no pad read.
    Joystick::sourceSetup = [](Joystick &) {};
    {
        Joystick traced;
        for (int frame = 0; frame < 3; ++frame)
            traced.pool();
        QCOMPARE(traced.sources.size(), 0);
        QCOMPARE(SDL_WasInit(0), 0u);
    }
    // The game's own sources read the pads through SDL, and stop it at the end.
    Joystick::sourceSetup = addDefaultSources;
    {
        Joystick game;
        QVERIFY(SDL_WasInit(SDL_INIT_GAMECONTROLLER) != 0);
        int pads = 0;
        for (InputSource *s : std::as_const(game.sources))
            pads += dynamic_cast<GamePadSource *>(s) != nullptr;
        QCOMPARE(pads, 1);
        game.pool();
        QCOMPARE_JOYSTICK(&game, 0, false);
    }
    Joystick::sourceSetup = nullptr;
    QCOMPARE(SDL_WasInit(0), 0u);
}

void TestGamePadSource::leavesTheSignalsToTheGame()
{
    stop();
    // SDL only takes a signal that has no handler yet.
    struct sigaction none = {};
    none.sa_handler = SIG_DFL;
    struct sigaction saved[2];
    QCOMPARE(sigaction(SIGINT, &none, &saved[0]), 0);
    QCOMPARE(sigaction(SIGTERM, &none, &saved[1]), 0);
    start();
    struct sigaction now[2];
    sigaction(SIGINT, nullptr, &now[0]);
    sigaction(SIGTERM, nullptr, &now[1]);
    sigaction(SIGINT, &saved[0], nullptr);
    sigaction(SIGTERM, &saved[1], nullptr);
    QVERIFY(now[0].sa_handler == SIG_DFL);
    QVERIFY(now[1].sa_handler == SIG_DFL);
}

QTEST_MAIN(TestGamePadSource)
#include "tst_gamepadsource.moc"
