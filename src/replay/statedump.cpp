#include "replay/statedump.h"

#include <QVarLengthArray>
#include <cstdarg>
#include <cstdio>

#include "taskbg.h"
#include "taskenemy1.h"
#include "taskenemy2.h"
#include "taskenemybullet.h"
#include "taskexplode.h"
#include "taskmain.h"
#include "taskmanager.h"
#include "taskmybullet.h"
#include "taskmyship.h"

namespace {

enum class Kind {
    Background,
    Director,
    Ship,
    Shot,
    Aiming,
    EnemyBullet,
    Splitting,
    Explosion,
    Other
};

Kind kindOf(const Task *task)
{
    if (dynamic_cast<const taskEnemyBullet *>(task))
        return Kind::EnemyBullet;
    if (dynamic_cast<const taskEnemy1 *>(task))
        return Kind::Aiming;
    if (dynamic_cast<const taskExplode *>(task))
        return Kind::Explosion;
    if (dynamic_cast<const taskMyBullet *>(task))
        return Kind::Shot;
    if (dynamic_cast<const taskEnemy2 *>(task))
        return Kind::Splitting;
    if (dynamic_cast<const taskMyShip *>(task))
        return Kind::Ship;
    if (dynamic_cast<const taskBG *>(task))
        return Kind::Background;
    if (dynamic_cast<const taskMain *>(task))
        return Kind::Director;
    return Kind::Other;
}

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void appendf(QByteArray &out, const char *format, ...)
{
    // Every line is far shorter than this.
    char line[256];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (length > 0)
        out.append(line, qMin(length, int(sizeof line) - 1));
}

// %.9g of a float reads back as the same float.
void appendTask(QByteArray &out, Kind kind, const Task *task)
{
    switch (kind) {
    case Kind::Background:
        out.append("  bg\n");
        break;
    case Kind::Director:
        appendf(out, "  main %d\n", static_cast<const taskMain *>(task)->counter);
        break;
    case Kind::Ship: {
        const auto *ship = static_cast<const taskMyShip *>(task);
        appendf(out, "  ship %.9g %.9g %d %d\n", double(ship->pos.x), double(ship->pos.y),
                ship->state, ship->damage);
        break;
    }
    case Kind::Shot: {
        const auto *shot = static_cast<const taskMyBullet *>(task);
        appendf(out, "  mb %.9g %.9g %d\n", double(shot->pos.x), double(shot->pos.y), shot->damage);
        break;
    }
    case Kind::Aiming: {
        const auto *enemy = static_cast<const taskEnemy1 *>(task);
        appendf(out, "  e1 %.9g %.9g %d %d\n", double(enemy->pos.x), double(enemy->pos.y),
                enemy->damage, enemy->fireCounter);
        break;
    }
    case Kind::EnemyBullet: {
        const auto *bullet = static_cast<const taskEnemyBullet *>(task);
        appendf(out, "  eb %.9g %.9g %d %d\n", double(bullet->pos.x), double(bullet->pos.y),
                bullet->damage, bullet->animFrame);
        break;
    }
    case Kind::Splitting: {
        const auto *enemy = static_cast<const taskEnemy2 *>(task);
        appendf(out, "  e2 %d %.9g %.9g %d\n", enemy->kind, double(enemy->pos.x),
                double(enemy->pos.y), enemy->damage);
        break;
    }
    case Kind::Explosion: {
        const auto *explosion = static_cast<const taskExplode *>(task);
        appendf(out, "  ex %.9g %.9g %d\n", double(explosion->pos.x), double(explosion->pos.y),
                explosion->animFrame);
        break;
    }
    case Kind::Other:
        out.append("  ?\n");
        break;
    }
}

} // namespace

void StateDump::append(QByteArray &out, int frame, bool withTasks)
{
    const TaskManager *manager = TaskManager::inst();
    const qsizetype count = manager->tasks.size();
    // Kinds are looked up once per task; the list is short, so a small buffer
    // on the stack covers the usual frame without an allocation.
    QVarLengthArray<Kind, 256> kinds(count);
    int e1 = 0, e2l = 0, e2s = 0, eb = 0, mb = 0, ex = 0;
    const taskMyShip *ship = nullptr;
    for (qsizetype i = 0; i < count; ++i) {
        const Task *task = manager->tasks.at(i);
        const Kind kind = kindOf(task);
        kinds[i] = kind;
        switch (kind) {
        case Kind::Aiming:
            ++e1;
            break;
        case Kind::Splitting:
            ++(static_cast<const taskEnemy2 *>(task)->kind == 0 ? e2l : e2s);
            break;
        case Kind::EnemyBullet:
            ++eb;
            break;
        case Kind::Shot:
            ++mb;
            break;
        case Kind::Explosion:
            ++ex;
            break;
        case Kind::Ship:
            if (!ship)
                ship = static_cast<const taskMyShip *>(task);
            break;
        default:
            break;
        }
    }
    const PointF &pos = manager->getMyShipPos();
    // A missing ship prints "-": the task count then tells the checks something is wrong.
    char state[16] = "-";
    if (ship)
        std::snprintf(state, sizeof state, "%d", ship->state);
    appendf(out,
            "frame=%d tasks=%d ship=%s shippos=%.9g,%.9g e1=%d e2l=%d e2s=%d eb=%d mb=%d ex=%d\n",
            frame, manager->getTaskCount(), state, double(pos.x), double(pos.y), e1, e2l, e2s, eb,
            mb, ex);
    if (withTasks) {
        for (qsizetype i = 0; i < count; ++i)
            appendTask(out, kinds[i], manager->tasks.at(i));
    }
}

QByteArray StateDump::text(int frame)
{
    QByteArray out;
    append(out, frame, true);
    return out;
}

quint64 StateDump::hash(const QByteArray &bytes)
{
    quint64 h = 14695981039346656037ULL;
    for (const char c : bytes) {
        h ^= quint64(static_cast<unsigned char>(c));
        h *= 1099511628211ULL;
    }
    return h;
}

QByteArray StateDump::hashText(quint64 hash)
{
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    return QByteArray(digits, 16);
}

quint64 StateDump::frameHash(int frame)
{
    return hash(text(frame));
}
