#include "settings/EchoVerify.h"

#include <gtest/gtest.h>

namespace qemra {
namespace {

TKeyValueList Pairs(std::initializer_list<TKeyValue> pairs)
{
    TKeyValueList list{};
    std::size_t i = 0;
    for (const TKeyValue& pair : pairs)
        list[i++] = pair;
    return list;
}

TEST(VerifyEcho, ComparesKeysExactlyAndValuesAsSingleNumbers)
{
    const TKeyValueList sent = Pairs({{"H50", "1"}, {"H82", "2"}, {"H51", "0.50"}, {"H52", "1.20"}});
    struct Case {
        const char* name;
        TKeyValueList echo;
        int n;
        bool good;
        QStringList lines;
    };
    const Case cases[] = {
        {"same numbers in other texts",
         Pairs({{"H50", "1"}, {"H82", "2.0"}, {"H51", "0.5"}, {"H52", "1.2"}}),
         4,
         true,
         {}},
        {"only two pairs echoed", Pairs({{"H50", "1"}, {"H82", "2"}}), 4, true, {}},
        {"a different value",
         Pairs({{"H50", "1"}, {"H82", "2"}, {"H51", "0.51"}, {"H52", "1.2"}}),
         4,
         false,
         {"Data Missmatch! : H51:0.50 ? 0.51"}},
        {"a key in lower case",
         Pairs({{"H50", "1"}, {"H82", "2"}, {"h51", "0.5"}, {"H52", "1.2"}}),
         4,
         false,
         {"Key Missmatch! : H51 ? h51"}},
        {"an echo that is no number",
         Pairs({{"H50", "1"}, {"H82", "2"}, {"H51", "abc"}, {"H52", "1.2"}}),
         4,
         true,
         {"No Data! : H51:abc"}},
        {"every entry examined",
         Pairs({{"H50", "0"}, {"X82", "2"}, {"H51", ""}, {"H52", "1.3"}}),
         4,
         false,
         {"Data Missmatch! : H50:1 ? 0", "Key Missmatch! : H82 ? X82",
          "No Data! : H51:", "Data Missmatch! : H52:1.20 ? 1.3"}},
        {"entries past n not compared", Pairs({{"H50", "1"}, {"H82", "2"}, {"H51", "9"}}), 2, true, {}},
        {"a value past single precision is no number", Pairs({{"H50", "1e39"}}), 1, true, {"No Data! : H50:1e39"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const EchoVerdict verdict = VerifyEcho(sent, c.echo, c.n);
        EXPECT_EQ(verdict.good, c.good);
        EXPECT_EQ(verdict.lines, c.lines);
    }
}

}  // namespace
}  // namespace qemra
