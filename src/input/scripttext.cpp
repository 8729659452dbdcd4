#include "input/scripttext.h"

#include <algorithm>

#include "input/numbertext.h"

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A token as it can appear in a one-line message: bytes other than printable
// ASCII are escaped and long tokens are cut, so binary input cannot garble it.
QString quoted(const char *begin, const char *end)
{
    const qint64 limit = 24;
    QString out = QStringLiteral("\"");
    for (const char *p = begin; p < end && p - begin < limit; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\')
            out += QLatin1Char(char(c));
        else
            out += QString::asprintf("\\x%02x", c);
    }
    if (end - begin > limit)
        out += QStringLiteral("...");
    out += QLatin1Char('"');
    return out;
}

struct Token {
    const char *begin;
    const char *end;
};

bool isLowerHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// A check line's words after "# check": FRAME and HASH. Returns an empty
// string when they are good, otherwise what is wrong.
QString parseCheck(const char *p, const char *lineEnd, const QVector<InputScript::Check> &checks,
                   InputScript::Check &check)
{
    Token tokens[2];
    int count = 0;
    while (true) {
        while (p < lineEnd && isBlank(*p))
            ++p;
        if (p == lineEnd)
            break;
        const char *const begin = p;
        while (p < lineEnd && !isBlank(*p))
            ++p;
        if (count == 2)
            return QStringLiteral("a check line is \"# check FRAME HASH\", found more: %1")
                .arg(quoted(begin, p));
        tokens[count++] = Token{begin, p};
    }
    if (count < 2)
        return QStringLiteral("a check line is \"# check FRAME HASH\", found %1 of the two")
            .arg(count);
    int frame = 0;
    if (!NumberText::toCount(tokens[0].begin, tokens[0].end, frame))
        return QStringLiteral("check FRAME %1 is not a frame number")
            .arg(quoted(tokens[0].begin, tokens[0].end));
    if (!checks.isEmpty() && frame <= checks.constLast().frame)
        return QStringLiteral("check FRAME %1 does not come after the check of frame %2")
            .arg(frame)
            .arg(checks.constLast().frame);
    const qint64 length = tokens[1].end - tokens[1].begin;
    bool hex = length == 16;
    quint64 hash = 0;
    for (const char *q = tokens[1].begin; hex && q < tokens[1].end; ++q) {
        hex = isLowerHex(*q);
        hash = hash * 16 + quint64(*q <= '9' ? *q - '0' : *q - 'a' + 10);
    }
    if (!hex)
        return QStringLiteral("check HASH %1 is not 16 lower-case hex digits")
            .arg(quoted(tokens[1].begin, tokens[1].end));
    check = InputScript::Check{frame, hash};
    return QString();
}

} // namespace

bool ScriptText::parse(const QByteArray &bytes, QVector<InputScript::Step> &steps,
                       QVector<InputScript::Check> *checks, QString &error)
{
    using Step = InputScript::Step;
    static const char *const names[3] = {"FRAME", "DIR", "FIRE"};
    steps.clear();
    if (checks)
        checks->clear();
    error.clear();
    const char *p = bytes.constData();
    const char *const dataEnd = p + bytes.size();
    qint64 lineNumber = 0;
    qint64 previousLine = 0;
    auto fail = [&](const QString &message) {
        error = QStringLiteral("line %1: %2").arg(lineNumber).arg(message);
        steps.clear();
        if (checks)
            checks->clear();
        return false;
    };

    while (p < dataEnd) {
        ++lineNumber;
        const char *lineEnd = p;
        while (lineEnd < dataEnd && *lineEnd != '\n')
            ++lineEnd;
        const char *const next = lineEnd < dataEnd ? lineEnd + 1 : lineEnd;
        if (lineEnd > p && lineEnd[-1] == '\r')
            --lineEnd; // CRLF files
        for (const char *q = p; q < lineEnd; ++q) {
            if (*q == '\0')
                return fail(QStringLiteral("NUL byte: this is not a text file"));
        }

        Token tokens[3];
        int count = 0;
        const char *q = p;
        while (true) {
            while (q < lineEnd && isBlank(*q))
                ++q;
            if (q == lineEnd)
                break;
            const char *const begin = q;
            while (q < lineEnd && !isBlank(*q))
                ++q;
            if (count == 0 && *begin == '#') {
                if (checks && q - begin == 1) {
                    // "# check ...": the second word decides.
                    const char *w = q;
                    while (w < lineEnd && isBlank(*w))
                        ++w;
                    const char *wordEnd = w;
                    while (wordEnd < lineEnd && !isBlank(*wordEnd))
                        ++wordEnd;
                    if (wordEnd - w == 5 && std::equal(w, wordEnd, "check")) {
                        InputScript::Check check{};
                        const QString problem = parseCheck(wordEnd, lineEnd, *checks, check);
                        if (!problem.isEmpty())
                            return fail(problem);
                        checks->append(check);
                    }
                }
                break;
            }
            if (count == 3)
                return fail(QStringLiteral("expected three integers FRAME DIR FIRE, found more: %1")
                                .arg(quoted(begin, q)));
            tokens[count++] = Token{begin, q};
        }
        p = next;
        if (count == 0)
            continue; // blank or comment
        if (count < 3)
            return fail(
                QStringLiteral("expected three integers FRAME DIR FIRE, found %1").arg(count));

        int values[3];
        for (int i = 0; i < 3; ++i) {
            switch (NumberText::toInt(tokens[i].begin, tokens[i].end, values[i])) {
            case NumberText::Result::Ok:
                break;
            case NumberText::Result::NotInteger:
                return fail(
                    QStringLiteral("%1 %2 is not an integer")
                        .arg(QLatin1String(names[i]), quoted(tokens[i].begin, tokens[i].end)));
            case NumberText::Result::OutOfRange:
                return fail(
                    QStringLiteral("%1 %2 is too large for an int")
                        .arg(QLatin1String(names[i]), quoted(tokens[i].begin, tokens[i].end)));
            }
        }
        const Step step{values[0], values[1], values[2] != 0};
        if (step.frame < 0)
            return fail(QStringLiteral("FRAME %1 is negative").arg(step.frame));
        if (!steps.isEmpty() && step.frame <= steps.constLast().frame)
            return fail(QStringLiteral("FRAME %1 does not come after frame %2 (line %3); frames "
                                       "must increase")
                            .arg(step.frame)
                            .arg(steps.constLast().frame)
                            .arg(previousLine));
        if (step.dir < 0 || step.dir > 8)
            return fail(QStringLiteral("DIR %1 is not a direction code from 0 to 8").arg(step.dir));
        steps.append(step);
        previousLine = lineNumber;
    }
    return true;
}
