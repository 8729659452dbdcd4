#ifndef SCRIPTTEXT_H
#define SCRIPTTEXT_H

#include <QByteArray>
#include <QString>
#include <QVector>

#include "input/inputscript.h"

// The text of an input script or a replay, line by line: its steps and, when
// `checks` is given, its check lines. Errors are one line naming the line
// number, with any bytes quoted so that binary input cannot garble them.
namespace ScriptText {
bool parse(const QByteArray &bytes, QVector<InputScript::Step> &steps,
           QVector<InputScript::Check> *checks, QString &error);
}

#endif
