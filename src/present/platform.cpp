#include "present/platform.h"

#include <QDir>

namespace {
struct Entry {
    const char *name;
    Platform platform;
    // Set non-zero, this environment variable makes the platform pace.
    const char *pacesWhenSet;
};

// Every platform the game treats otherwise than a desktop's.
const Entry kPlatforms[] = {
    {"linuxfb", {true, true, false, false}, "QT_QPA_FB_DRM"},
    {"eglfs", {true, true, true, true}, nullptr},
    {"vnc", {true, false, false, false}, nullptr},
    {"wayland", {false, false, true, false}, nullptr},
    {"wayland-egl", {false, false, true, false}, nullptr},
};
} // namespace

Platform Platform::named(const QString &name)
{
    for (const Entry &entry : kPlatforms) {
        if (name != QLatin1String(entry.name))
            continue;
        Platform platform = entry.platform;
        if (entry.pacesWhenSet && qEnvironmentVariableIntValue(entry.pacesWhenSet) != 0)
            platform.pacesPresentation = true;
        return platform;
    }
    return Platform();
}

void Platform::chooseFramebufferDrm(const QString &drmClass)
{
    if (qgetenv("QT_QPA_FB_DRM") != "auto")
        return;
    // Each of the card's outputs is listed beside it as card0-<connector>.
    const bool drives = !QDir(drmClass).entryList({QStringLiteral("card0-*")}).isEmpty();
    qputenv("QT_QPA_FB_DRM", drives ? "1" : "0");
}
