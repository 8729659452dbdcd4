#ifndef PLATFORM_H
#define PLATFORM_H

#include <QString>

// What the game knows of the Qt platform it runs on: whether there is a window
// system around it, and who reads the keyboard and the pads.
struct Platform {
    // No window system (the board): the game always covers the screen.
    bool coversWholeScreen = false;
    // Qt reads the input devices (/dev/input/event*) itself; elsewhere keys
    // come from a display server or a VNC client.
    bool readsInputDevices = false;
    // Showing a picture waits for the screen (a page flip, a swap at vblank, a
    // compositor's frame callback), so the frames follow the screen.
    bool pacesPresentation = false;
    // OpenGL is the platform's own way to the screen: the picture is drawn
    // through it unless the player asks otherwise.
    bool prefersOpenGl = false;

    // The platform of that name (QGuiApplication::platformName()); a desktop
    // one for any name not in the table. linuxfb flips pages, and so paces,
    // only on DRM (QT_QPA_FB_DRM set non-zero, as Qt reads it).
    static Platform named(const QString &name);
    // QT_QPA_FB_DRM set to "auto" becomes 1 where the DRM device linuxfb
    // opens (card0, as listed in `drmClass`) drives a display, and 0
    // elsewhere: a plain framebuffer, or a GPU that only renders. Any other
    // value is left as it is. Called before the application is made.
    static void chooseFramebufferDrm(const QString &drmClass = QStringLiteral("/sys/class/drm"));
};

#endif
