#include "app/replaysetup.h"

#include <climits>
#include <cstdio>

#include "app/defaultsources.h"
#include "joystick.h"
#include "view.h"

bool ReplaySetup::load(const QString &path)
{
    if (path.isEmpty())
        return true;
    QString error;
    if (!InputScript::load(path, steps, &checks, error)) {
        std::fprintf(stderr, "shmup: %s\n", qPrintable(error));
        return false;
    }
    endAtLastCheck(steps, checks);
    checker = ReplayChecker(checks);
    replaying = true;
    return true;
}

void ReplaySetup::endAtLastCheck(QVector<InputScript::Step> &steps,
                                 const QVector<InputScript::Check> &checks)
{
    if (!checks.isEmpty() && checks.constLast().frame < INT_MAX &&
        (steps.isEmpty() || steps.constLast().frame <= checks.constLast().frame))
        steps.append(InputScript::Step{checks.constLast().frame + 1, 0, false});
}

void ReplaySetup::installSources() const
{
    if (!replaying) {
        Joystick::sourceSetup = addDefaultSources;
        return;
    }
    const QVector<InputScript::Step> script = steps;
    Joystick::sourceSetup = [script](Joystick &joystick) {
        joystick.addSource(new InputScript(script));
    };
}

void ReplaySetup::watch(View &view, const QString &recordPath)
{
    if (!recordPath.isEmpty())
        recorder.open(recordPath);
    if (!recorder.isRecording() && checks.isEmpty())
        return;
    view.frameDone.push_back([this]() {
        recorder.frameDone();
        if (!checker.failed && !checker.frameDone(frame))
            std::fprintf(stderr, "shmup: the replay no longer plays out the same: %s\n",
                         qPrintable(checker.mismatchText()));
        ++frame;
    });
}

void ReplaySetup::finish()
{
    recorder.finish();
}
