#include "input/inputdevicecheck.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

InputDeviceCheck::Result InputDeviceCheck::probe(const QString &directory)
{
    const QDir dir(directory);
    const QStringList names = dir.entryList(
        {QStringLiteral("event*")}, QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    Result result;
    for (const QString &name : names) {
        const int fd = ::open(QFile::encodeName(dir.filePath(name)).constData(),
                              O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            ::close(fd);
            return {Outcome::Readable, QString()};
        }
        const int error = errno;
        // Permission is what the user can mend, so it is the reason given.
        if (error == EACCES || error == EPERM) {
            if (result.outcome != Outcome::NoPermission)
                result = {Outcome::NoPermission, QString::fromLocal8Bit(std::strerror(error))};
        } else if (result.outcome == Outcome::NoDevices) {
            result = {Outcome::Unreadable, QString::fromLocal8Bit(std::strerror(error))};
        }
    }
    return result;
}

QString InputDeviceCheck::warning(const Result &result, const QString &directory)
{
    const QString none = QStringLiteral("no keyboard or game pad will reach the game");
    switch (result.outcome) {
    case Outcome::Readable:
        return QString();
    case Outcome::NoDevices:
        return QStringLiteral("No input device found in %1 (no event* files): %2.")
            .arg(directory, none);
    case Outcome::NoPermission:
        return QStringLiteral("The input devices in %1 (event*) cannot be read: %2. So %3; add "
                              "the user to the \"input\" group (usermod -aG input USER, then "
                              "log in again).")
            .arg(directory, result.error, none);
    case Outcome::Unreadable:
        return QStringLiteral("The input devices in %1 (event*) cannot be read: %2. So %3.")
            .arg(directory, result.error, none);
    }
    return QString();
}

void InputDeviceCheck::warnIfUnreadable(bool platformReadsInputDevices, const QString &directory)
{
    if (!platformReadsInputDevices)
        return;
    const QString text = warning(probe(directory), directory);
    if (!text.isEmpty())
        qWarning("%s", qPrintable(text));
}
