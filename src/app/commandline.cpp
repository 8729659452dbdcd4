#include "app/commandline.h"

#include <QStringList>
#include <cstdio>

CommandLine::CommandLine(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QVector<int> passOn;
    parsed = options.parse(arguments, passOn);
    if (ends()) {
        std::fputs(qPrintable(parsed.output), parsed.status == 0 ? stdout : stderr);
        if (parsed.status != 0)
            std::fputc('\n', stderr);
        return;
    }
    for (const int index : std::as_const(passOn))
        qtArgv.append(argv[index]);
    qtArgv.append(nullptr);
    qtArgc = int(passOn.size());
}
