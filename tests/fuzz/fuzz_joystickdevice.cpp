// libFuzzer target: the joystick device's event stream. The bytes are fed as
// the device's reads would deliver them, cut into pieces whose sizes come from
// the first byte; the outcome must not depend on where the reads were cut.
#include <algorithm>
#include <cstdint>

#include "fuzzcheck.h"
#include "input/joystickdevice.h"

namespace {
bool inRange(const InputState &held)
{
    return held.x >= -1 && held.x <= 1 && held.y >= -1 && held.y <= 1;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    std::uint32_t seed = data[0] | 1u;
    const char *bytes = reinterpret_cast<const char *>(data + 1);
    const std::size_t length = size - 1;

    JoystickDevice pieces(QString(), 0);
    for (std::size_t at = 0; at < length;) {
        seed = seed * 1103515245u + 12345u;
        const std::size_t piece = std::min<std::size_t>((seed >> 16) % 24 + 1, length - at);
        pieces.feed(bytes + at, piece);
        at += piece;
        check(inRange(pieces.held), "axes outside -1..1");
        check(pieces.partialSize >= 0 && pieces.partialSize < 8, "partial record too long");
    }

    JoystickDevice whole(QString(), 0);
    whole.feed(bytes, length);
    check(whole.held.x == pieces.held.x && whole.held.y == pieces.held.y &&
              whole.held.triggers[0] == pieces.held.triggers[0] &&
              whole.held.triggers[1] == pieces.held.triggers[1],
          "the state depends on how the reads were cut");
    check(whole.partialSize == int(length % 8), "partial record not kept");
    return 0;
}
