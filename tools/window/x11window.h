#ifndef X11WINDOW_H
#define X11WINDOW_H

#include <QImage>
#include <QString>

// Looking at the game's window from outside its process, on an X server:
// taking its picture, asking it to close as a window manager does, and reading
// the debug line back from a picture. Needs a QGuiApplication on xcb.
namespace X11Window {

// The window's contents, or a null image when the id is not a window.
QImage grab(unsigned long windowId);

// Sends WM_DELETE_WINDOW, the close request of a window manager's close button.
bool requestClose(unsigned long windowId);

struct DebugLine {
    bool found = false;
    int fps = 0;
    int tasks = 0;
};

// Reads "<fps> fps / <tasks> tasks" drawn at the base-line point (32, 32) of a
// picture of the window, by drawing candidate lines in the same font and
// comparing the ink.
DebugLine readDebugLine(const QImage &window);

} // namespace X11Window

#endif
