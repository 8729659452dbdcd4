// shmup-window: looks at the game's window from outside, on an X server.
//   shmup-window grab WINDOW-ID FILE.png   save a picture of the window
//   shmup-window close WINDOW-ID           ask the window to close
//   shmup-window debug-line FILE.png       print the debug line's numbers
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "x11window.h"

static int usage()
{
    std::fprintf(stderr, "usage: shmup-window grab WINDOW-ID FILE.png | close WINDOW-ID | "
                         "debug-line FILE.png\n");
    return 2;
}

int main(int argc, char **argv)
{
    if (argc < 3)
        return usage();
    const QByteArray command = argv[1];
    if (command == "close") {
        bool ok = false;
        const unsigned long id = QByteArray(argv[2]).toULong(&ok, 0);
        return ok && X11Window::requestClose(id) ? 0 : 1;
    }
    QGuiApplication app(argc, argv);
    if (command == "grab" && argc == 4) {
        bool ok = false;
        const unsigned long id = QByteArray(argv[2]).toULong(&ok, 0);
        const QImage image = ok ? X11Window::grab(id) : QImage();
        if (image.isNull() || !image.save(QString::fromLocal8Bit(argv[3]))) {
            std::fprintf(stderr, "shmup-window: cannot grab window %s into %s\n", argv[2], argv[3]);
            return 1;
        }
        return 0;
    }
    if (command == "debug-line") {
        const QImage image(QString::fromLocal8Bit(argv[2]));
        const X11Window::DebugLine line = X11Window::readDebugLine(image);
        if (!line.found) {
            std::fprintf(stderr, "shmup-window: no debug line found in %s\n", argv[2]);
            return 1;
        }
        std::printf("%d fps / %d tasks\n", line.fps, line.tasks);
        return 0;
    }
    return usage();
}
