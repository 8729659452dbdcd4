#include "present/platform.h"

namespace {
struct Entry {
    const char *name;
    Platform platform;
};

// Every platform the game treats otherwise than a desktop's.
const Entry kPlatforms[] = {
    {"linuxfb", {true, true}},
    {"eglfs", {true, true}},
    {"vnc", {true, false}},
};
} // namespace

Platform Platform::named(const QString &name)
{
    for (const Entry &entry : kPlatforms) {
        if (name == QLatin1String(entry.name))
            return entry.platform;
    }
    return Platform();
}
