#ifndef REPLAYRECORDER_H
#define REPLAYRECORDER_H

#include <QByteArray>
#include <QString>

// Keeps a game played in the window as a replay: the joystick state of every
// frame in the joystick script format (a line "FRAME DIR FIRE" when it
// changes), after a header, with a check line "# check FRAME HASH" of the
// game's state every 300 frames and at the last frame played.
//
// Lines are gathered in a buffer that is written out at every check line and
// at the end, so the file always ends with a whole line. The end is written
// when the game returns from its event loop (finish(), or the destructor) and
// also at process exit, for when Qt leaves through exit() (the X server went
// away): the exit hook runs before the task manager is destroyed, so the last
// check line still sees the last frame.
class ReplayRecorder {
public:
    static const int checkEvery = 300;

    ReplayRecorder() = default;
    ~ReplayRecorder();
    ReplayRecorder(const ReplayRecorder &) = delete;
    ReplayRecorder &operator=(const ReplayRecorder &) = delete;

    // Creates the file and writes the header. A path that cannot be written
    // gets one warning and false; the recorder then records nothing.
    bool open(const QString &path);
    bool isRecording() const { return fd >= 0; }

    // After the game step of every frame: the joystick's state as read at its
    // refresh, and a check line when one is due.
    void frameDone();
    // The same with the state given.
    void record(int dir, bool fire);

    // Writes the check line of the last frame played, unless it has one,
    // flushes and closes the file. Safe to call more than once.
    void finish();

    int frames = 0; // frames recorded so far

private:
    void appendCheck(int frame);
    bool flush();
    void fail(int error);

    int fd = -1;
    QString path;
    QByteArray buffer;
    qint64 written = 0; // bytes in the file, all of them whole lines
    int lastDir = 0;
    bool lastFire = false;
    int lastCheck = -1;
};

#endif
