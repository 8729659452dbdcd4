#include <QtTest>

#include "app/gameoptions.h"

namespace {
// Parses the game's name followed by `arguments`; `passedOn` gets those left to Qt.
GameOptions::Result parse(QStringList arguments, QStringList &passedOn)
{
    arguments.prepend(QStringLiteral("shmup"));
    QVector<int> passOn;
    const GameOptions::Result result = GameOptions().parse(arguments, passOn);
    for (const int index : std::as_const(passOn))
        passedOn.append(arguments.at(index));
    return result;
}
} // namespace

// The command line: our options are taken out, Qt's are passed on untouched.
class tst_GameOptions : public QObject {
    Q_OBJECT

private slots:
    void passesQtOptionsOn_data();
    void passesQtOptionsOn();
    void readsOurOptions();
    void exitsWithoutRunning_data();
    void exitsWithoutRunning();
};

void tst_GameOptions::passesQtOptionsOn_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("passedOn");
    const QStringList none;
    QTest::newRow("nothing") << none << none;
    QTest::newRow("platform and its value") << QStringList{"-platform", "vnc:size=800x600"}
                                            << QStringList{"-platform", "vnc:size=800x600"};
    QTest::newRow("Qt's option with two dashes")
        << QStringList{"--platform", "offscreen"} << QStringList{"--platform", "offscreen"};
    QTest::newRow("a value that looks like ours")
        << QStringList{"-qwindowtitle", "--scale"} << QStringList{"-qwindowtitle", "--scale"};
    QTest::newRow("ours among Qt's")
        << QStringList{"-platform", "xcb", "--scale", "2", "-reverse", "--fullscreen"}
        << QStringList{"-platform", "xcb", "-reverse"};
    QTest::newRow("unknown single dash is Qt's")
        << QStringList{"-nosuch"} << QStringList{"-nosuch"};
    QTest::newRow("Qt's value after =, ours next")
        << QStringList{"-platform=offscreen", "--scale", "2"} << QStringList{"-platform=offscreen"};
    QTest::newRow("Qt's option last, its value missing")
        << QStringList{"-platform"} << QStringList{"-platform"};
}

void tst_GameOptions::passesQtOptionsOn()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, passedOn);
    QStringList got;
    QCOMPARE(int(parse(arguments, got).outcome), int(GameOptions::Outcome::Run));
    passedOn.prepend(QStringLiteral("shmup"));
    QCOMPARE(got, passedOn);
}

void tst_GameOptions::readsOurOptions()
{
    GameOptions options;
    QVector<int> passOn;
    const QStringList arguments = {"shmup",     "--scale=3", "--fullscreen",
                                   "--record",  "a b.txt",   "--replay=r.txt",
                                   "--present", "gl",        "--mute"};
    QCOMPARE(int(options.parse(arguments, passOn).outcome), int(GameOptions::Outcome::Run));
    QCOMPARE(options.scale, 3);
    QVERIFY(options.fullscreen);
    QCOMPARE(options.record, QStringLiteral("a b.txt"));
    QCOMPARE(options.replay, QStringLiteral("r.txt"));
    QCOMPARE(int(options.present), int(GameOptions::Presenter::Gl));
    QVERIFY(options.mute);

    GameOptions defaults;
    QCOMPARE(int(defaults.parse({"shmup"}, passOn).outcome), int(GameOptions::Outcome::Run));
    QCOMPARE(defaults.scale, 0);
    QVERIFY(!defaults.fullscreen && !defaults.mute);
    QVERIFY(defaults.record.isEmpty() && defaults.replay.isEmpty());
    QCOMPARE(int(defaults.present), int(GameOptions::Presenter::Auto));
}

void tst_GameOptions::exitsWithoutRunning_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");
    QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: shmup";
    QTest::newRow("-h") << QStringList{"-h"} << 0 << "Usage: shmup";
    QTest::newRow("help after Qt's") << QStringList{"-platform", "xcb", "--help"} << 0 << "Usage";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "shmup 1.";
    QTest::newRow("unknown") << QStringList{"--bogus"} << 2 << "unknown option \"--bogus\"";
    QTest::newRow("scale zero") << QStringList{"--scale", "0"} << 2 << "--scale wants";
    QTest::newRow("scale text") << QStringList{"--scale=two"} << 2 << "not \"two\"";
    QTest::newRow("scale missing") << QStringList{"--scale"} << 2 << "--scale needs a value";
    QTest::newRow("scale of five digits")
        << QStringList{"--scale", "00002"} << 2 << "--scale wants";
    QTest::newRow("present unknown") << QStringList{"--present=vulkan"} << 2
                                     << "--present wants auto, gl or raster, not \"vulkan\"";
    QTest::newRow("empty record") << QStringList{"--record="} << 2 << "needs a file name";
    QTest::newRow("fullscreen=1") << QStringList{"--fullscreen=1"} << 2 << "takes no value";
    QTest::newRow("mute=yes") << QStringList{"--mute=yes"} << 2 << "--mute takes no value";
}

void tst_GameOptions::exitsWithoutRunning()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, output);
    QStringList passedOn;
    const GameOptions::Result result = parse(arguments, passedOn);
    QCOMPARE(int(result.outcome), int(GameOptions::Outcome::Exit));
    QCOMPARE(result.status, status);
    QVERIFY2(result.output.contains(output), qPrintable(result.output));
    if (status != 0) {
        QVERIFY(!result.output.contains(QLatin1Char('\n')));
    }
}

QTEST_GUILESS_MAIN(tst_GameOptions)
#include "tst_gameoptions.moc"
