#ifndef NUMBERTEXT_H
#define NUMBERTEXT_H

#include <QSize>
#include <QString>
#include <QVector>

// Whole numbers as people write them: frame counts and factors on a command
// line, screen sizes, lists of frames, and the numbers of a joystick script.
class NumberText {
public:
    enum class Result { Ok, NotInteger, OutOfRange };

    // Strict decimal: an optional sign and digits only, nothing else.
    static Result toInt(const char *begin, const char *end, int &value);

    // Digits only (no sign, no blanks) and within an int; at most maxDigits
    // of them when maxDigits is not 0.
    static bool toCount(const char *begin, const char *end, int &value, int maxDigits = 0);
    static bool toCount(const QString &text, int &value, int maxDigits = 0);

    // "WIDTHxHEIGHT", each from 1 to maxSide.
    static const int maxSide = 16384;
    static bool toSize(const QString &text, QSize &size);

    struct FrameRange {
        int first;
        int last;
    };
    // A frame list such as "0,64,100-120": numbers and inclusive ranges,
    // comma-separated. On failure returns false, `ranges` empty, with one line
    // in `error`.
    static bool toFrameList(const QString &text, QVector<FrameRange> &ranges, QString &error);
};

#endif
