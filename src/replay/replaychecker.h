#ifndef REPLAYCHECKER_H
#define REPLAYCHECKER_H

#include <QString>
#include <QVector>

#include "input/inputscript.h"

// Compares a replayed game with the check lines of its replay, frame by frame:
// the first state that differs is where the replay stopped playing out the same.
class ReplayChecker {
public:
    explicit ReplayChecker(const QVector<InputScript::Check> &checks);

    // After the game step of `frame` (frames from 0, in increasing order):
    // compares the state if a check falls on this frame. Returns false on the
    // first mismatch; after that nothing more is compared.
    bool frameDone(int frame);

    // "desync at frame F: expected H1, got H2" for the mismatch.
    QString mismatchText() const;

    QVector<InputScript::Check> checks;
    int next = 0;   // index of the next check to compare
    int passed = 0; // checks compared and matching
    bool failed = false;
    int failedFrame = -1;
    quint64 expected = 0;
    quint64 got = 0;
};

#endif
