// libFuzzer target: InputScript::parse on any bytes. Besides not crashing, the
// result must hold what the parser promises, or the target aborts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "inputscript.h"

namespace {
void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "broken promise: %s\n", what);
        std::abort();
    }
}
} // namespace

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
