#pragma once

#include <QByteArray>
#include <QString>
#include <array>

namespace qemra {

// One key=value pair of a request or an answer; an empty Key is a free entry.
struct TKeyValue {
    QString Key;
    QString Value;
};

inline constexpr int kPairListSize = 20;
using TKeyValueList = std::array<TKeyValue, kPairListSize>;

inline constexpr int kPackedTextLimit = 128;
// Appends the longest leading run of the first n pairs whose packed text ("K=V,") stays under
// `limit` characters; returns the number packed.
int PackPairs(const TKeyValue* list, QByteArray& text, int n, int limit = kPackedTextLimit);
// Splits "K=V,K=V," into the list (at most `capacity` entries); text after the last "," is dropped.
int SplitPairs(const QByteArray& text, TKeyValue* list, int capacity);

}  // namespace qemra
