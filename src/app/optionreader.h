#ifndef OPTIONREADER_H
#define OPTIONREADER_H

#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector>

#include "input/numbertext.h"

// A command line of the game or the trace tool, read one argument at a time:
// "--name value" and "--name=value" alike, with the messages for a value that
// is missing or wrong.
class OptionReader {
public:
    // Reading starts after arguments[0], the program.
    explicit OptionReader(const QStringList &arguments);
    // main()'s arguments as text, the program first.
    static QStringList fromArgv(int argc, char **argv);

    // Steps to the next argument; false when there is none.
    bool next();
    int index() const { return at; }
    // The argument as given.
    const QString &argument() const { return arguments.at(at); }
    // 1 or 2 for an option; 0 for anything else, "-" and "--" among it.
    int dashes() const { return dashCount; }
    // Without the dashes and "=VALUE": "scale" for "--scale=3" and "-scale".
    const QString &name() const { return optionName; }
    bool hasInlineValue() const { return inlineValue; }
    // "-h" or "--help": the tools take no other one-dash argument.
    bool isHelp() const;
    // "--NAME" with no "=VALUE": an option that takes none.
    bool isFlag(const char *flagName) const;

    // The option's value: after "=", else the next argument, which is then
    // used up (call once). When there is none: false and error() "--NAME needs
    // a value".
    bool takeValue(QString &value);
    // A value that must not be empty: else error() "--NAME needs WHAT".
    bool takeText(QString &value, const QString &what);
    // Digits from `least` up (at most maxDigits of them when not 0); else
    // error() "--NAME wants WHAT, not "VALUE"".
    bool takeNumber(int &number, int least, const QString &what, int maxDigits = 0);
    // WIDTHxHEIGHT, each from 1 to NumberText::maxSide; else as takeNumber.
    bool takeSize(QSize &size, const QString &what);

    // One of `choices`, as its index; else as takeNumber, WHAT naming them all.
    bool takeChoice(int &index, const QStringList &choices);
    // A frame list (NumberText::toFrameList); else error() "--NAME: WHAT IS WRONG".
    bool takeFrameList(QVector<NumberText::FrameRange> &ranges);

    // Sets error() to: unknown option "ARGUMENT".
    void unknown();
    // Sets error() to "--NAME wants WHAT, not "VALUE"" and returns false: for
    // a value the caller checks itself.
    bool wants(const QString &what, const QString &value);
    const QString &error() const { return message; }

private:
    QStringList arguments;
    int at = 0;
    int dashCount = 0;
    QString optionName;
    QString valueText;
    bool inlineValue = false;
    QString message;
};

#endif
