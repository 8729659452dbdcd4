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

// The next blank-separated word of a line from `p` on, which then points past
// it; false at the line's end.
bool nextWord(const char *&p, const char *lineEnd, Token &word)
{
    while (p < lineEnd && isBlank(*p))
        ++p;
    if (p == lineEnd)
        return false;
    word.begin = p;
    while (p < lineEnd && !isBlank(*p))
        ++p;
    word.end = p;
    return true;
}

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
    Token word;
    while (nextWord(p, lineEnd, word)) {
        if (count == 2)
            return QStringLiteral("a check line is \"# check FRAME HASH\", found more: %1")
                .arg(quoted(word.begin, word.end));
        tokens[count++] = word;
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

// A comment line from its "#" word on: a check line when `checks` is given
// and the word is "#" followed by "check". Returns what is wrong, if anything.
QString readComment(const Token &hash, const char *lineEnd, QVector<InputScript::Check> *checks)
{
    const char *p = hash.end;
    Token word;
    if (!checks || hash.end - hash.begin != 1 || !nextWord(p, lineEnd, word) ||
        word.end - word.begin != 5 || !std::equal(word.begin, word.end, "check"))
        return QString();
    InputScript::Check check{};
    const QString problem = parseCheck(word.end, lineEnd, *checks, check);
    if (problem.isEmpty())
        checks->append(check);
    return problem;
}

// The words of one line [p, lineEnd): up to three step numbers in `tokens`
// (`count` of them), a comment ending the line. Returns what is wrong, if anything.
QString readWords(const char *p, const char *lineEnd, QVector<InputScript::Check> *checks,
                  Token (&tokens)[3], int &count)
{
    count = 0;
    for (const char *q = p; q < lineEnd; ++q) {
        if (*q == '\0')
            return QStringLiteral("NUL byte: this is not a text file");
    }
    Token word;
    while (nextWord(p, lineEnd, word)) {
        if (count == 0 && *word.begin == '#')
            return readComment(word, lineEnd, checks);
        if (count == 3)
            return QStringLiteral("expected three integers FRAME DIR FIRE, found more: %1")
                .arg(quoted(word.begin, word.end));
        tokens[count++] = word;
    }
    if (count > 0 && count < 3)
        return QStringLiteral("expected three integers FRAME DIR FIRE, found %1").arg(count);
    return QString();
}

// The step of a line's three words, after the step of line `previousLine`
// (the last in `steps`). Returns what is wrong, if anything.
QString readStep(const Token (&tokens)[3], const QVector<InputScript::Step> &steps,
                 qint64 previousLine, InputScript::Step &step)
{
    static const char *const names[3] = {"FRAME", "DIR", "FIRE"};
    int values[3];
    for (int i = 0; i < 3; ++i) {
        const NumberText::Result result =
            NumberText::toInt(tokens[i].begin, tokens[i].end, values[i]);
        if (result == NumberText::Result::Ok)
            continue;
        const QString word = quoted(tokens[i].begin, tokens[i].end);
        return result == NumberText::Result::NotInteger
                   ? QStringLiteral("%1 %2 is not an integer").arg(QLatin1String(names[i]), word)
                   : QStringLiteral("%1 %2 is too large for an int")
                         .arg(QLatin1String(names[i]), word);
    }
    step = InputScript::Step{values[0], values[1], values[2] != 0};
    if (step.frame < 0)
        return QStringLiteral("FRAME %1 is negative").arg(step.frame);
    if (!steps.isEmpty() && step.frame <= steps.constLast().frame)
        return QStringLiteral("FRAME %1 does not come after frame %2 (line %3); frames "
                              "must increase")
            .arg(step.frame)
            .arg(steps.constLast().frame)
            .arg(previousLine);
    if (step.dir < 0 || step.dir > 8)
        return QStringLiteral("DIR %1 is not a direction code from 0 to 8").arg(step.dir);
    return QString();
}

} // namespace

bool ScriptText::parse(const QByteArray &bytes, QVector<InputScript::Step> &steps,
                       QVector<InputScript::Check> *checks, QString &error)
{
    steps.clear();
    if (checks)
        checks->clear();
    error.clear();
    const char *p = bytes.constData();
    const char *const dataEnd = p + bytes.size();
    qint64 lineNumber = 0;
    qint64 previousLine = 0;
    while (p < dataEnd) {
        ++lineNumber;
        const char *lineEnd = p;
        while (lineEnd < dataEnd && *lineEnd != '\n')
            ++lineEnd;
        const char *const next = lineEnd < dataEnd ? lineEnd + 1 : lineEnd;
        if (lineEnd > p && lineEnd[-1] == '\r')
            --lineEnd; // CRLF files
        Token tokens[3];
        int count = 0;
        InputScript::Step step{};
        QString problem = readWords(p, lineEnd, checks, tokens, count);
        if (problem.isEmpty() && count == 3)
            problem = readStep(tokens, steps, previousLine, step);
        if (!problem.isEmpty()) {
            error = QStringLiteral("line %1: %2").arg(lineNumber).arg(problem);
            steps.clear();
            if (checks)
                checks->clear();
            return false;
        }
        if (count == 3) {
            steps.append(step);
            previousLine = lineNumber;
        }
        p = next;
    }
    return true;
}
