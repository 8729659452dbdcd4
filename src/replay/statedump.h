#ifndef STATEDUMP_H
#define STATEDUMP_H

#include <QByteArray>
#include <QtGlobal>

// The game's state after a frame as text: one summary line, and with the tasks
// one line per task in list order. The trace tool prints it, and a replay's
// check lines carry its hash, so a replay can be checked from the dump alone.
class StateDump {
public:
    // Appends the summary line of `frame`, then, when `withTasks`, the task lines.
    static void append(QByteArray &out, int frame, bool withTasks);

    // The text of the frame with its task lines, as `shmup-trace --dump` prints it.
    static QByteArray text(int frame);

    // 64-bit FNV-1a of the bytes.
    static quint64 hash(const QByteArray &bytes);

    // The hash as 16 lower-case hex digits.
    static QByteArray hashText(quint64 hash);

    // hash(text(frame)): what a check line of `frame` records.
    static quint64 frameHash(int frame);
};

#endif
