#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include "joystick.h"
#include "spritesheet.h"
#include "task.h"
#include "taskexplode.h"
#include "taskmanager.h"
#include "taskmybullet.h"
#include "taskmyship.h"
#include "texture.h"
#include "view.h"

// Test helpers shared by the unit tests. The game's singletons live for the
// whole process, so each test starts by putting them back to a fresh state.

// Empties the task manager (deleting its tasks) and forgets the ship position.
inline void resetManager()
{
    TaskManager::inst()->clear();
}

// A fresh manager, no input, and glibc's default rand() sequence from its start.
inline void resetWorld()
{
    View::resetGame();
}

// Registers `sheet` as the game's sprite sheet, replacing any earlier one.
inline void useSheet(const QImage &sheet)
{
    Texture *texture = Texture::inst();
    texture->deleteTexture(SpriteSheet::name());
    texture->textures.insert(SpriteSheet::name(), new QPixmap(QPixmap::fromImage(sheet)));
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

// Paints one task on a black canvas that reaches 64 pixels beyond each screen
// edge, so that sprites partly off screen are still seen whole. Screen point p
// is canvas pixel p + (64, 64).
const int kCanvasMargin = 64;
inline QImage paintTask(Task *task)
{
    QImage canvas(640 + 2 * kCanvasMargin, 480 + 2 * kCanvasMargin,
                  QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    painter.translate(kCanvasMargin, kCanvasMargin);
    task->render(&painter);
    return canvas;
}

// Describes the one sprite painted from coordinateSheet() on a paintTask()
// canvas as "source (x,y) size WxH at screen (x,y)" (its top-left), "nothing",
// or "not one clean copy" when the painted pixels are not a 1:1 copy of one region.
inline QString spriteDrawn(const QImage &canvas)
{
    QRect area;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (qBlue(canvas.pixel(x, y)) == 128)
                area |= QRect(x, y, 1, 1);
    if (area.isEmpty())
        return QStringLiteral("nothing");
    const QRgb first = canvas.pixel(area.topLeft());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb expected =
                qRgba(qRed(first) + x - area.left(), qGreen(first) + y - area.top(), 128, 255);
            if (canvas.pixel(x, y) != expected)
                return QStringLiteral("not one clean copy");
        }
    return QStringLiteral("source (%1,%2) size %3x%4 at screen (%5,%6)")
        .arg(qRed(first))
        .arg(qGreen(first))
        .arg(area.width())
        .arg(area.height())
        .arg(area.left() - kCanvasMargin)
        .arg(area.top() - kCanvasMargin);
}

// The description spriteDrawn() gives for a sprite of that region centred on `centre`.
inline QString spriteAt(QPoint source, QSize size, QPoint centre)
{
    return QStringLiteral("source (%1,%2) size %3x%4 at screen (%5,%6)")
        .arg(source.x())
        .arg(source.y())
        .arg(size.width())
        .arg(size.height())
        .arg(centre.x() - size.width() / 2)
        .arg(centre.y() - size.height() / 2);
}

// Lets _data tables hold positions, and QCOMPARE compare them exactly and print
// them on failure.
Q_DECLARE_METATYPE(PointF)
inline QByteArray pointText(const PointF &p)
{
    return QByteArray::number(double(p.x), 'g', 9) + ", " + QByteArray::number(double(p.y), 'g', 9);
}
// For QCOMPARE, which frees the result; a QVERIFY2 message wants
// pointText(p).constData() instead, or the copy leaks.
inline char *toString(const PointF &p)
{
    return qstrdup(pointText(p).constData());
}

// Collects the warnings given while it lives, instead of printing them.
class WarningCapture {
public:
    WarningCapture() { previous = qInstallMessageHandler(collect); }
    ~WarningCapture() { qInstallMessageHandler(previous); }
    WarningCapture(const WarningCapture &) = delete;
    WarningCapture &operator=(const WarningCapture &) = delete;

    static QStringList &warnings()
    {
        static QStringList list;
        return list;
    }

private:
    static void collect(QtMsgType type, const QMessageLogContext &, const QString &message)
    {
        if (type == QtWarningMsg)
            warnings().append(message);
    }
    QtMessageHandler previous;
};

// Runs `work` where file permissions apply and returns the warnings it gave in
// `warnings`. Root may open any file, so as root `work` runs in a child process
// that has given up root for the unprivileged user and group 65534 (nobody);
// what it creates or changes stays in the child. False if the child failed.
inline bool runUnprivileged(const std::function<void()> &work, QStringList &warnings)
{
    WarningCapture::warnings().clear();
    if (::geteuid() != 0) {
        WarningCapture capture;
        work();
        warnings = WarningCapture::warnings();
        return true;
    }
    int fds[2];
    if (::pipe(fds) != 0)
        return false;
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        ::close(fds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        {
            WarningCapture capture;
            work();
        }
        const QByteArray text = WarningCapture::warnings().join(QChar(0)).toUtf8();
        const bool written = ::write(fds[1], text.constData(), size_t(text.size())) == text.size();
        ::_exit(written ? 0 : 4);
    }
    ::close(fds[1]);
    QByteArray text;
    char buffer[4096];
    ssize_t count;
    while ((count = ::read(fds[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, int(count));
    ::close(fds[0]);
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    // With the length: Qt 5's fromUtf8(QByteArray) stops at the first NUL.
    warnings = text.isEmpty() ? QStringList()
                              : QString::fromUtf8(text.constData(), text.size()).split(QChar(0));
    return true;
}

// Starts each test function of a class from a fresh world and leaves one
// behind; a test class derives from it instead of from QObject. `manager` is
// the game's task manager.
class WorldTest : public QObject {
    Q_OBJECT

protected:
    TaskManager *const manager = TaskManager::inst();

private slots:
    void init() { resetWorld(); }
    void cleanup() { resetWorld(); }
};

// A WorldTest whose tasks draw from coordinateSheet().
class TaskTest : public WorldTest {
    Q_OBJECT

private slots:
    void init()
    {
        resetWorld();
        useSheet(coordinateSheet());
    }
};

// A ship past its entry, steered by the joystick, at `pos` in the task manager.
inline taskMyShip *activeShipAt(PointF pos)
{
    auto *ship = new taskMyShip(pos, 0);
    ship->state = taskMyShip::Active;
    TaskManager::inst()->addMyTask(ship);
    return ship;
}

// The player's shots in the task manager.
inline int shotsInPlay()
{
    int count = 0;
    for (Task *task : std::as_const(TaskManager::inst()->tasks))
        count += dynamic_cast<taskMyBullet *>(task) != nullptr;
    return count;
}

// Sends `target` one tick of its timer `timerId`, as the timer itself would.
inline void tick(QObject &target, int timerId)
{
    QTimerEvent event(timerId);
    QCoreApplication::sendEvent(&target, &event);
}

// Runs the application's event loop; a loop that nothing ends within five
// seconds ends with `unended`.
inline int runEventLoop(int unended)
{
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [unended] { QCoreApplication::exit(unended); });
    guard.start(5000);
    return QCoreApplication::exec();
}

// Checks that the manager's tasks from index `first` on are eight explosions
// scattered about `centre` by the next sixteen rand() values, two per
// explosion, as a destruction leaves them.
#define QCOMPARE_EXPLOSIONS(first, centre)                                                         \
    do {                                                                                           \
        for (int i = 0; i < 8; ++i) {                                                              \
            const int dx = rand() % 64 - 32;                                                       \
            const int dy = rand() % 64 - 32;                                                       \
            auto *explosion =                                                                      \
                dynamic_cast<taskExplode *>(TaskManager::inst()->tasks.at((first) + i));           \
            QVERIFY2(explosion, "an explosion where it was expected");                             \
            QCOMPARE(explosion->pos, PointF((centre).x + float(dx), (centre).y + float(dy)));      \
        }                                                                                          \
    } while (false)

#endif
