#include "app/optionreader.h"

OptionReader::OptionReader(const QStringList &arguments) : arguments(arguments) {}

QStringList OptionReader::fromArgv(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

bool OptionReader::next()
{
    if (at + 1 >= arguments.size())
        return false;
    const QString &arg = arguments.at(++at);
    dashCount = 0;
    optionName.clear();
    valueText.clear();
    inlineValue = false;
    if (!arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-") ||
        arg == QLatin1String("--"))
        return true;
    dashCount = arg.startsWith(QLatin1String("--")) ? 2 : 1;
    optionName = arg.mid(dashCount);
    const int equals = optionName.indexOf(QLatin1Char('='));
    if (equals >= 0) {
        valueText = optionName.mid(equals + 1);
        optionName.truncate(equals);
        inlineValue = true;
    }
    return true;
}

bool OptionReader::isHelp() const
{
    return argument() == QLatin1String("-h") ||
           (dashCount == 2 && optionName == QLatin1String("help"));
}

bool OptionReader::isFlag(const char *flagName) const
{
    return dashCount == 2 && !inlineValue && optionName == QLatin1String(flagName);
}

bool OptionReader::takeValue(QString &value)
{
    if (!inlineValue) {
        if (at + 1 >= arguments.size()) {
            message = QStringLiteral("--%1 needs a value").arg(optionName);
            return false;
        }
        valueText = arguments.at(++at);
    }
    value = valueText;
    return true;
}

bool OptionReader::takeText(QString &value, const QString &what)
{
    if (!takeValue(value))
        return false;
    if (!value.isEmpty())
        return true;
    message = QStringLiteral("--%1 needs %2").arg(optionName, what);
    return false;
}

bool OptionReader::takeNumber(int &number, int least, const QString &what, int maxDigits)
{
    QString value;
    if (!takeValue(value))
        return false;
    return (NumberText::toCount(value, number, maxDigits) && number >= least) || wants(what, value);
}

bool OptionReader::takeSize(QSize &size, const QString &what)
{
    QString value;
    if (!takeValue(value))
        return false;
    return NumberText::toSize(value, size) || wants(what, value);
}

bool OptionReader::takeChoice(int &index, const QStringList &choices)
{
    QString value;
    if (!takeValue(value))
        return false;
    index = int(choices.indexOf(value));
    if (index >= 0)
        return true;
    QStringList named = choices;
    const QString last = named.takeLast();
    return wants(QStringLiteral("%1 or %2").arg(named.join(QStringLiteral(", ")), last), value);
}

bool OptionReader::takeFrameList(QVector<NumberText::FrameRange> &ranges)
{
    QString value;
    QString problem;
    if (!takeValue(value))
        return false;
    if (NumberText::toFrameList(value, ranges, problem))
        return true;
    message = QStringLiteral("--%1: %2").arg(optionName, problem);
    return false;
}

void OptionReader::unknown()
{
    message = QStringLiteral("unknown option \"%1\"").arg(argument());
}

bool OptionReader::wants(const QString &what, const QString &value)
{
    message = QStringLiteral("--%1 wants %2, not \"%3\"").arg(optionName, what, value);
    return false;
}
