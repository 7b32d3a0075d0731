// Answer pairs: splitting any text keeps to the list's capacity, and packing what was split
// and splitting it again gives the same pairs.
#include "FuzzInput.h"
#include "link/KeyValue.h"

#include <cstdlib>

using namespace qemra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const int capacity = input.Byte() % (kPairListSize + 1);
    const QByteArray text(reinterpret_cast<const char*>(input.Data()), static_cast<qsizetype>(input.Size()));

    TKeyValueList list;
    const int count = SplitPairs(text, list.data(), capacity);
    if (count < 0 || count > capacity || count > text.count(','))
        std::abort();
    for (int i = count; i < kPairListSize; ++i) {
        if (!list[static_cast<std::size_t>(i)].Key.isEmpty() || !list[static_cast<std::size_t>(i)].Value.isEmpty())
            std::abort();  // nothing written past the pairs it reports
    }

    QByteArray packed;
    const int taken = PackPairs(list.data(), packed, count);
    if (taken < 0 || taken > count || packed.size() >= 128)
        std::abort();
    TKeyValueList again;
    if (SplitPairs(packed, again.data(), kPairListSize) != taken)
        std::abort();
    for (int i = 0; i < taken; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (again[k].Key != list[k].Key || again[k].Value != list[k].Value)
            std::abort();
    }
    return 0;
}
