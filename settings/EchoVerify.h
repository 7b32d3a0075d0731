#pragma once

#include "link/KeyValue.h"

#include <QString>
#include <QStringList>

namespace qemra {

// The write dialogs' check of an echo: entries 0 to n-1 of the answer against the pairs sent,
// key by key (exact text) and value by value (as single-precision numbers). Every entry is
// examined, so one check can give several lines for the writer's memo.
struct EchoVerdict {
    bool good = true;
    QStringList lines;
};

EchoVerdict VerifyEcho(const TKeyValueList& sent, const TKeyValueList& echoed, int n);

// One "Not Sent! : " line for each of the first n pairs that the last request had no room for
// (`sentCount` pairs went out); empty when all of them were sent.
QStringList UnsentPairLines(const TKeyValueList& pairs, int sentCount, int n);

}  // namespace qemra
