#include "input/inputscript.h"

#include <QFile>

#include "input/scripttext.h"

bool InputScript::parse(const QByteArray &bytes, QVector<Step> &steps, QString &error)
{
    return ScriptText::parse(bytes, steps, nullptr, error);
}

bool InputScript::parse(const QByteArray &bytes, QVector<Step> &steps, QVector<Check> &checks,
                        QString &error)
{
    return ScriptText::parse(bytes, steps, &checks, error);
}

bool InputScript::readFile(const QString &path, QByteArray &bytes, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    // Scripts are small; the cap keeps a huge file or /dev/zero from using up memory.
    const qint64 maxBytes = 64 * 1024 * 1024;
    bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    if (bytes.size() > maxBytes) {
        error = QStringLiteral("%1: larger than 64 MB, not a joystick script").arg(path);
        bytes.clear();
        return false;
    }
    return true;
}

bool InputScript::load(const QString &path, QVector<Step> &steps, QVector<Check> *checks,
                       QString &error)
{
    QByteArray bytes;
    if (!readFile(path, bytes, error))
        return false;
    if (checks ? parse(bytes, steps, *checks, error) : parse(bytes, steps, error))
        return true;
    error = QStringLiteral("%1: %2").arg(path, error);
    return false;
}

void InputScript::axes(int dir, int &x, int &y)
{
    // Indexed by the code: none, up, then counter-clockwise to up-right.
    static const int table[9][2] = {{0, 0}, {0, -1}, {-1, -1}, {-1, 0}, {-1, 1},
                                    {0, 1}, {1, 1},  {1, 0},   {1, -1}};
    if (dir < 0 || dir > 8)
        dir = 0;
    x = table[dir][0];
    y = table[dir][1];
}

InputScript::InputScript(const QVector<Step> &steps) : steps(steps), frame(0), current(-1) {}

void InputScript::poll(InputState &state)
{
    while (current + 1 < steps.size() && steps.at(current + 1).frame <= frame)
        ++current;
    if (current >= 0) {
        const Step &step = steps.at(current);
        int x = 0;
        int y = 0;
        axes(step.dir, x, y);
        state.x += x;
        state.y += y;
        if (step.fire)
            state.triggers[0] = true;
    }
    ++frame;
}
