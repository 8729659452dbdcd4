// libFuzzer target: InputScript::parse on any bytes. Besides not crashing, the
// result must hold what the parser promises, or the target aborts.
#include <cstdint>

#include "fuzzcheck.h"
#include "input/inputscript.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > std::size_t(64 * 1024 * 1024))
        return 0;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    QVector<InputScript::Step> steps;
    QString error;
    if (!InputScript::parse(bytes, steps, error)) {
        check(steps.isEmpty(), "steps left after a failure");
        check(error.startsWith(QLatin1String("line ")), "error does not start with the line");
        check(!error.contains(QLatin1Char('\n')) && !error.contains(QLatin1Char('\r')),
              "error spans more than one line");
        check(error.size() < 400, "error is not short");
        return 0;
    }
    check(error.isEmpty(), "error set on success");
    for (int i = 0; i < steps.size(); ++i) {
        check(steps.at(i).frame >= 0, "negative frame accepted");
        check(steps.at(i).dir >= 0 && steps.at(i).dir <= 8, "direction outside 0..8 accepted");
        check(i == 0 || steps.at(i).frame > steps.at(i - 1).frame, "frames do not increase");
    }

    // Written back in the file's own form, the steps read the same.
    QByteArray text;
    for (const InputScript::Step &step : std::as_const(steps))
        text += QByteArray::number(step.frame) + ' ' + QByteArray::number(step.dir) + ' ' +
                (step.fire ? '1' : '0') + '\n';
    QVector<InputScript::Step> again;
    check(InputScript::parse(text, again, error), "written-back steps rejected");
    check(again.size() == steps.size(), "written-back steps differ in number");
    for (int i = 0; i < steps.size(); ++i)
        check(again.at(i).frame == steps.at(i).frame && again.at(i).dir == steps.at(i).dir &&
                  again.at(i).fire == steps.at(i).fire,
              "written-back steps differ");

    // Read with its check lines, the steps are the same; the checks increase.
    QVector<InputScript::Step> withChecks;
    QVector<InputScript::Check> checks;
    QString checkError;
    if (InputScript::parse(bytes, withChecks, checks, checkError)) {
        check(checkError.isEmpty(), "error set on success (checks)");
        check(withChecks.size() == steps.size(), "check lines changed the steps");
        for (int i = 0; i < steps.size(); ++i)
            check(withChecks.at(i).frame == steps.at(i).frame &&
                      withChecks.at(i).dir == steps.at(i).dir &&
                      withChecks.at(i).fire == steps.at(i).fire,
                  "check lines changed a step");
        for (int i = 0; i < checks.size(); ++i)
            check(checks.at(i).frame >= 0 &&
                      (i == 0 || checks.at(i).frame > checks.at(i - 1).frame),
                  "check frames do not increase");
        // Written back, the check lines read the same.
        QByteArray replay;
        for (const InputScript::Check &c : std::as_const(checks)) {
            char line[64];
            std::snprintf(line, sizeof line, "# check %d %016llx\n", c.frame,
                          static_cast<unsigned long long>(c.hash));
            replay += line;
        }
        QVector<InputScript::Check> checksAgain;
        check(InputScript::parse(replay, withChecks, checksAgain, checkError),
              "written-back check lines rejected");
        check(checksAgain.size() == checks.size(), "written-back checks differ in number");
        for (int i = 0; i < checks.size(); ++i)
            check(checksAgain.at(i).frame == checks.at(i).frame &&
                      checksAgain.at(i).hash == checks.at(i).hash,
                  "written-back checks differ");
    } else {
        check(withChecks.isEmpty() && checks.isEmpty(), "steps or checks left after a failure");
        check(checkError.startsWith(QLatin1String("line ")) &&
                  !checkError.contains(QLatin1Char('\n')),
              "check error is not one line naming the line");
    }

    // Played for a few frames, the script only ever holds one step's input.
    InputScript script(steps);
    for (int frame = 0; frame < 64; ++frame) {
        InputState state;
        script.poll(state);
        check(state.x >= -1 && state.x <= 1 && state.y >= -1 && state.y <= 1, "axes outside -1..1");
        check(!state.triggers[1], "trigger 1 pressed by a script");
    }
    return 0;
}
