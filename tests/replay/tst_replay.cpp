#include <QtTest>
#include <cstdio>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include "input/inputscript.h"
#include "inputsupport.h"
#include "replay/replayrecorder.h"
#include "replay/statedump.h"
#include "testsupport.h"
#include "view.h"

namespace {

// Gathers what is written on stderr (file descriptor 2) while it lives.
class StderrCapture {
public:
    StderrCapture()
    {
        std::fflush(stderr);
        saved = dup(2);
        file.open();
        dup2(file.handle(), 2);
    }
    ~StderrCapture() { restore(); }
    QByteArray text()
    {
        restore();
        file.seek(0);
        return file.readAll();
    }

private:
    void restore()
    {
        if (saved < 0)
            return;
        std::fflush(stderr);
        dup2(saved, 2);
        close(saved);
        saved = -1;
    }
    QTemporaryFile file;
    int saved = -1;
};

struct Played {
    QByteArray file;               // what the recorder wrote
    QMap<int, QByteArray> hashes;  // the state's hash after the frames that were checked
    QList<QByteArray> changeLines; // "FRAME DIR FIRE" of every change of input
};

// Plays `frames` frames of a fresh game steered by `script`, as the window
// does (input, game step, then the recorder), recording to `path`.
Played playAndRecord(const QByteArray &script, int frames, const QString &path)
{
    resetWorld();
    View::startGame();
    QVector<InputScript::Step> steps;
    QString error;
    if (!InputScript::parse(script, steps, error))
        qFatal("bad test script: %s", qPrintable(error));
    Joystick *joystick = Joystick::inst();
    joystick->addSource(new InputScript(steps));

    Played played;
    ReplayRecorder recorder;
    recorder.open(path);
    int dir = 0;
    bool fire = false;
    for (int frame = 0; frame < frames; ++frame) {
        View::stepGame();
        recorder.frameDone();
        if (joystick->getDir() != dir || joystick->isTrigged(0) != fire) {
            dir = joystick->getDir();
            fire = joystick->isTrigged(0);
            played.changeLines.append(QByteArray::number(frame) + ' ' + QByteArray::number(dir) +
                                      ' ' + (fire ? '1' : '0'));
        }
        if ((frame + 1) % 300 == 0 || frame == frames - 1)
            played.hashes.insert(frame, StateDump::hashText(StateDump::frameHash(frame)));
    }
    recorder.finish();
    // Only a file that was recorded is read back (not /dev/full, which reads forever).
    QFile file(path);
    if (QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly))
        played.file = file.readAll();
    return played;
}

struct Verified {
    int status;
    QByteArray output;
};

Verified runVerify(const QByteArray &replay, const QStringList &extra = {})
{
    QTemporaryFile file;
    file.open();
    file.write(replay);
    file.flush();
    QProcess trace;
    trace.setProcessChannelMode(QProcess::MergedChannels);
    trace.start(QStringLiteral(SHMUP_TRACE), QStringList{QStringLiteral("--input"), file.fileName(),
                                                         QStringLiteral("--verify")} +
                                                 extra);
    trace.waitForFinished(60000);
    QByteArray output = trace.readAll();
    // The offscreen platform may say where its runtime folder is; only our lines count.
    QByteArray ours;
    for (const QByteArray &line : output.split('\n'))
        if (!line.isEmpty() && !line.startsWith("QStandardPaths"))
            ours += line + '\n';
    return Verified{trace.exitStatus() == QProcess::NormalExit ? trace.exitCode() : -1, ours};
}

// A game that steers, fires and stops; 650 frames: checks after 299, 599 and 649.
const QByteArray steeredScript = "66 7 1\n90 7 1\n120 2 0\n200 3 1\n400 0 0\n420 1 1\n";

} // namespace

// Replays: the state hash, the recorder's file and the trace tool's verification.
class TestReplay : public WorldTest {
    Q_OBJECT

private slots:
    void hash_data();
    void hash();
    void dumpIsTheTraceDump();
    void recordsChangesAndChecks();
    void unwritablePath_data();
    void unwritablePath();
    void fullDiskMidGameLeavesWholeLines();
    void verify_data();
    void verify();
};

void TestReplay::hash_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("hash");
    // Published FNV-1a 64 values, and a dump line worked out by hand.
    QTest::newRow("empty") << QByteArray() << QByteArray("cbf29ce484222325");
    QTest::newRow("a") << QByteArray("a") << QByteArray("af63dc4c8601ec8c");
    QTest::newRow("foobar") << QByteArray("foobar") << QByteArray("85944171f73967e8");
    QTest::newRow("dump line") << QByteArray("  bg\n") << QByteArray("1ffec37ce6399e2c");
}

void TestReplay::hash()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, hash);
    QCOMPARE(StateDump::hashText(StateDump::hash(text)), hash);
}

// The text hashed is exactly what the trace tool prints with --dump.
void TestReplay::dumpIsTheTraceDump()
{
    View::startGame();
    QByteArray ours;
    for (int frame = 0; frame < 120; ++frame) {
        View::stepGame();
        ours += StateDump::text(frame);
    }
    QProcess trace;
    trace.start(QStringLiteral(SHMUP_TRACE),
                {QStringLiteral("--frames"), QStringLiteral("120"), QStringLiteral("--dump")});
    QVERIFY(trace.waitForFinished(60000));
    QCOMPARE(trace.readAllStandardOutput(), ours);
}

void TestReplay::recordsChangesAndChecks()
{
    QTemporaryDir dir;
    const Played played = playAndRecord(steeredScript, 650, dir.filePath("replay"));
    QList<QByteArray> lines = played.file.split('\n');
    QVERIFY2(played.file.endsWith('\n'), "the file ends inside a line");
    lines.removeLast();
    QCOMPARE(lines.value(0), QByteArray("# shmup replay 1"));
    QCOMPARE(lines.value(1), QByteArray("# game version " SHMUP_VERSION_TEXT));

    QList<QByteArray> changes;
    QList<QByteArray> checks;
    for (const QByteArray &line : lines.mid(2))
        (line.startsWith("# check ") ? checks : changes).append(line);
    // The step at 90 repeats the state of 66, so it is no change; 400 releases all.
    QCOMPARE(changes, played.changeLines);
    QCOMPARE(changes, (QList<QByteArray>{"66 7 1", "120 2 0", "200 3 1", "400 0 0", "420 1 1"}));
    QCOMPARE(checks, (QList<QByteArray>{"# check 299 " + played.hashes.value(299),
                                        "# check 599 " + played.hashes.value(599),
                                        "# check 649 " + played.hashes.value(649)}));
    // Read as a plain script it steers as it was steered.
    PARSE_SCRIPT(steps, played.file);
    QCOMPARE(steps.size(), 5);
}

void TestReplay::unwritablePath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("reason");
    QTest::newRow("a folder") << QDir::tempPath() << QByteArray(strerror(EISDIR));
    QTest::newRow("a full disk") << QStringLiteral("/dev/full") << QByteArray(strerror(ENOSPC));
    QTest::newRow("no such folder")
        << QStringLiteral("/nonexistent-folder/replay") << QByteArray(strerror(ENOENT));
}

void TestReplay::unwritablePath()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, reason);
    StderrCapture capture;
    const Played played = playAndRecord(steeredScript, 650, path);
    const QByteArray said = capture.text();
    // One line, naming the path and why, and the game went on to its end.
    QCOMPARE(said.count('\n'), 1);
    QVERIFY2(said.startsWith("shmup: cannot record the replay to " + path.toUtf8() + ": " + reason),
             said.constData());
    QCOMPARE(played.hashes.size(), 3);
}

// A disk that fills up in the middle of the game (here a file size limit):
// one warning, and the file ends with the last whole line that fitted.
void TestReplay::fullDiskMidGameLeavesWholeLines()
{
    QTemporaryDir dir;
    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
    signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    // A change every frame: the first check's flush is far above the limit.
    QByteArray zigzag;
    for (int frame = 0; frame < 700; ++frame)
        zigzag += QByteArray::number(frame) + (frame % 2 ? " 3 1\n" : " 7 0\n");
    StderrCapture capture;
    const Played played = playAndRecord(zigzag, 700, dir.filePath("replay"));
    const QByteArray said = capture.text();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, SIG_DFL);

    QCOMPARE(said.count('\n'), 1);
    QVERIFY2(said.contains(strerror(EFBIG)), said.constData());
    QVERIFY(!played.file.isEmpty());
    QVERIFY2(played.file.endsWith('\n'), "a half line was left");
    QVERIFY(played.file.size() <= 1000);
    // What is there is a readable script.
    PARSE_SCRIPT(steps, played.file);
}

void TestReplay::verify_data()
{
    QTemporaryDir dir;
    const QByteArray good = playAndRecord(steeredScript, 650, dir.filePath("replay")).file;
    QList<QByteArray> lines = good.split('\n');
    const auto edited = [&](const QByteArray &from, const QByteArray &to) {
        QByteArray text = good;
        text.replace(from, to);
        return text;
    };
    QByteArray noChecks;
    for (const QByteArray &line : lines)
        if (!line.startsWith("# check"))
            noChecks += line + '\n';

    QTest::addColumn<QByteArray>("replay");
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("output");
    QTest::newRow("all match") << good << QStringList() << 0
                               << QByteArray("replay verified: 3 checks over 650 frames\n");
    QTest::newRow("fewer frames asked for")
        << good << QStringList{"--frames", "600"} << 0
        << QByteArray("replay verified: 2 checks over 600 frames\n");
    // The state line after the first check: the first check after it fails.
    QTest::newRow("state line changed") << edited("\n400 0 0\n", "\n378 0 0\n") << QStringList()
                                        << 1 << QByteArray("desync at frame 599");
    QTest::newRow("state line removed")
        << edited("\n120 2 0\n", "\n") << QStringList() << 1 << QByteArray("desync at frame 299");
    QTest::newRow("no check within the frames asked for")
        << good << QStringList{"--frames", "5"} << 1
        << QByteArray("replay not verified: its first check is at frame 299, after the 5 frames");
    QTest::newRow("no check lines") << noChecks << QStringList() << 0
                                    << QByteArray("has no check lines: a plain joystick script");
}

void TestReplay::verify()
{
    QFETCH(QByteArray, replay);
    QFETCH(QStringList, extra);
    QFETCH(int, status);
    QFETCH(QByteArray, output);
    const Verified result = runVerify(replay, extra);
    QVERIFY2(result.output.contains(output), result.output.constData());
    QCOMPARE(result.output.count('\n'), 1);
    QCOMPARE(result.status, status);
    if (result.output.startsWith("desync")) {
        // "desync at frame F: expected H1, got H2" with the recorded hash as H1.
        const QList<QByteArray> words = result.output.trimmed().split(' ');
        QCOMPARE(words.size(), 8);
        const QByteArray frame = words.at(3).chopped(1);
        QVERIFY2(replay.contains("# check " + frame + ' ' + words.at(5).chopped(1) + '\n'),
                 result.output.constData());
        QVERIFY(words.at(7) != words.at(5).chopped(1));
    }
}

QTEST_MAIN(TestReplay)
#include "tst_replay.moc"
