#include "app/commandline.h"

#include <QStringList>
#include <cstdio>

#include "app/optionreader.h"

CommandLine::CommandLine(int argc, char **argv)
{
    QVector<int> passOn;
    parsed = options.parse(OptionReader::fromArgv(argc, argv), passOn);
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
