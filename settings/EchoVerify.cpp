#include "settings/EchoVerify.h"

#include "common/NumberText.h"

#include <algorithm>

namespace qemra {

EchoVerdict VerifyEcho(const TKeyValueList& sent, const TKeyValueList& echoed, int n)
{
    EchoVerdict verdict;
    n = std::clamp(n, 0, kPairListSize);
    for (int i = 0; i < n; ++i) {
        const TKeyValue& cmd = sent[static_cast<std::size_t>(i)];
        const TKeyValue& ans = echoed[static_cast<std::size_t>(i)];
        // A pair the instrument did not echo (a short answer, or a pair the request had no room
        // for) is passed over.
        if (ans.Key.isEmpty())
            continue;
        if (ans.Key != cmd.Key) {
            verdict.good = false;
            verdict.lines << QStringLiteral("Key Missmatch! : ") + cmd.Key + QStringLiteral(" ? ") + ans.Key;
            continue;
        }
        float sentValue = 0;
        float echoValue = 0;
        if (!TryTextToSingle(cmd.Value, sentValue) || !TryTextToSingle(ans.Value, echoValue)) {
            verdict.lines << QStringLiteral("No Data! : ") + ans.Key + u':' + ans.Value;
            continue;
        }
        if (sentValue != echoValue) {
            verdict.good = false;
            verdict.lines << QStringLiteral("Data Missmatch! : ") + ans.Key + u':' + cmd.Value + QStringLiteral(" ? ") +
                                 ans.Value;
        }
    }
    return verdict;
}

QStringList UnsentPairLines(const TKeyValueList& pairs, int sentCount, int n)
{
    QStringList lines;
    n = std::clamp(n, 0, kPairListSize);
    for (int i = std::max(sentCount, 0); i < n; ++i) {
        const TKeyValue& pair = pairs[static_cast<std::size_t>(i)];
        if (!pair.Key.isEmpty())
            lines << QStringLiteral("Not Sent! : ") + pair.Key + u':' + pair.Value;
    }
    return lines;
}

}  // namespace qemra
