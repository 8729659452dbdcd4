#include "replay/replayrecorder.h"

#include <QFile>
#include <QtGlobal>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "joystick.h"
#include "replay/statedump.h"
#include "taskmanager.h"

#ifndef SHMUP_VERSION
#define SHMUP_VERSION "unknown"
#endif

namespace {

// The recorder that is recording, for the exit hook.
ReplayRecorder *active = nullptr;

void finishAtExit()
{
    if (active)
        active->finish();
}

} // namespace

ReplayRecorder::~ReplayRecorder()
{
    finish();
}

bool ReplayRecorder::open(const QString &target)
{
    finish();
    path = target;
    fd = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
                0644);
    if (fd < 0) {
        fail(errno);
        return false;
    }
    frames = 0;
    lastDir = 0;
    lastFire = false;
    lastCheck = -1;
    written = 0;
    buffer = "# shmup replay 1\n# game version " SHMUP_VERSION "\n";
    // Written at once, so that a full disk shows before the game starts.
    if (!flush())
        return false;

    // The manager must exist before the hook is registered: exit() then runs
    // the hook before the manager's destructor, while the tasks are there.
    TaskManager::inst();
    static bool hooked = false;
    if (!hooked) {
        hooked = true;
        std::atexit(finishAtExit);
    }
    active = this;
    return true;
}

void ReplayRecorder::frameDone()
{
    const Joystick *joystick = Joystick::inst();
    record(joystick->getDir(), joystick->isTrigged(0));
}

void ReplayRecorder::record(int dir, bool fire)
{
    if (fd < 0)
        return;
    const int frame = frames++;
    if (dir != lastDir || fire != lastFire) {
        char line[48];
        const int length = std::snprintf(line, sizeof line, "%d %d %d\n", frame, dir, fire ? 1 : 0);
        buffer.append(line, length);
        lastDir = dir;
        lastFire = fire;
    }
    if ((frame + 1) % checkEvery == 0) {
        appendCheck(frame);
        flush();
    }
}

void ReplayRecorder::appendCheck(int frame)
{
    buffer += "# check " + QByteArray::number(frame) + ' ' +
              StateDump::hashText(StateDump::frameHash(frame)) + '\n';
    lastCheck = frame;
}

void ReplayRecorder::finish()
{
    if (active == this)
        active = nullptr;
    if (fd < 0)
        return;
    if (frames > 0 && lastCheck != frames - 1)
        appendCheck(frames - 1);
    if (flush()) {
        ::close(fd);
        fd = -1;
    }
}

bool ReplayRecorder::flush()
{
    qint64 done = 0;
    while (done < buffer.size()) {
        const ssize_t n = ::write(fd, buffer.constData() + done, size_t(buffer.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            // Part of the buffer may have gone out: cut the file back to its
            // last whole line.
            if (done > 0 && ::ftruncate(fd, written) != 0) {
                // Nothing more can be done for the file.
            }
            fail(error);
            return false;
        }
        done += n;
    }
    written += done;
    buffer.clear();
    return true;
}

void ReplayRecorder::fail(int error)
{
    std::fprintf(stderr,
                 "shmup: cannot record the replay to %s: %s; the game plays on without recording\n",
                 qPrintable(path), std::strerror(error));
    if (fd >= 0)
        ::close(fd);
    fd = -1;
    buffer.clear();
    if (active == this)
        active = nullptr;
}
