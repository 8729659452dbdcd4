#include "app/defaultsources.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include "app/pausecontrol.h"
#include "input/joystickdevice.h"
#include "input/keyboardsource.h"
#include "input/pointersource.h"
#include "joystick.h"
#include "present/presentation.h"
#ifdef SHMUP_SDL
#include "input/gamepadsource.h"
#endif

void addDefaultSources(Joystick &joystick)
{
    // Keys need an application to watch; a tool without one has only the device.
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        joystick.addSource(new KeyboardSource(QCoreApplication::instance()));
        // The mouse, and touch screens through the mouse events Qt makes of them.
        joystick.addSource(new PointerSource(QCoreApplication::instance(), Presentation::scaleOf));
    }
#ifdef SHMUP_SDL
    // SDL owns the pads: it reads them through their event devices
    // (/dev/input/event*). The joystick node /dev/input/js0 is one of those
    // pads seen again through the kernel's joydev, so it is not read as well:
    // the pad would count twice, with two dead zones and two button maps
    // that disagree. SDL passes over pads it may not open without a word, so
    // the node still tells the user when the pad is there but out of reach.
    JoystickDevice::checkAccess(QStringLiteral("/dev/input/js0"));
    auto *pads = new GamePadSource;
    // Start pressed alone: the pause toggles once the frame that read it is
    // over (and shown), never in the middle of one.
    pads->togglePause = [] {
        if (PauseControl *control = PauseControl::active())
            QMetaObject::invokeMethod(control, &PauseControl::toggle, Qt::QueuedConnection);
    };
    joystick.addSource(pads);
#else
    joystick.addSource(new JoystickDevice(QStringLiteral("/dev/input/js0")));
#endif
}
