#include "replay/replaychecker.h"

#include "replay/statedump.h"

ReplayChecker::ReplayChecker(const QVector<InputScript::Check> &checks) : checks(checks) {}

bool ReplayChecker::frameDone(int frame)
{
    if (failed)
        return false;
    // Checks of frames that were never played (none when called for every frame) are passed over.
    while (next < checks.size() && checks.at(next).frame < frame)
        ++next;
    if (next >= checks.size() || checks.at(next).frame != frame)
        return true;
    const quint64 hash = StateDump::frameHash(frame);
    if (hash != checks.at(next).hash) {
        failed = true;
        failedFrame = frame;
        expected = checks.at(next).hash;
        got = hash;
        return false;
    }
    ++passed;
    ++next;
    return true;
}

QString ReplayChecker::mismatchText() const
{
    return QStringLiteral("desync at frame %1: expected %2, got %3")
        .arg(failedFrame)
        .arg(QString::fromLatin1(StateDump::hashText(expected)),
             QString::fromLatin1(StateDump::hashText(got)));
}
