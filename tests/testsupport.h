#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

#include <QImage>
#include <QPainter>
#include <cstdlib>

#include "joystick.h"
#include "task.h"
#include "taskmanager.h"
#include "texture.h"

// Test helpers shared by the unit tests. The game's singletons live for the
// whole process, so each test starts by putting them back to a fresh state.

// Empties the task manager (deleting its tasks) and forgets the ship position.
inline void resetManager()
{
    TaskManager *manager = TaskManager::inst();
    qDeleteAll(manager->tasks);
    manager->tasks.clear();
    manager->enemyTasks.clear();
    manager->myTasks.clear();
    manager->myShipPos = PointF();
}

// Releases every input and restarts glibc's default rand() sequence.
inline void resetWorld()
{
    resetManager();
    Joystick *joystick = Joystick::inst();
    joystick->clearSources();
    joystick->dir = 0;
    joystick->triggers.fill(false);
    srand(1);
}

// Registers `sheet` as the "MAIN" sprite sheet, replacing any earlier one.
inline void useSheet(const QImage &sheet)
{
    Texture *texture = Texture::inst();
    texture->deleteTexture(QStringLiteral("MAIN"));
    texture->textures.insert(QStringLiteral("MAIN"), new QPixmap(QPixmap::fromImage(sheet)));
}

// A 192x160 sheet where each pixel encodes its own coordinates (r = x, g = y,
// fully opaque), so a painted pixel tells which sheet pixel was copied there.
inline QImage coordinateSheet()
{
    QImage sheet(192, 160, QImage::Format_ARGB32);
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x)
            sheet.setPixel(x, y, qRgba(x, y, 128, 255));
    return sheet;
}

// A black 640x480 canvas, the size of the game window.
inline QImage blankScreen()
{
    QImage screen(640, 480, QImage::Format_ARGB32_Premultiplied);
    screen.fill(Qt::black);
    return screen;
}

#endif
