#include "sim/ProtocolCore.h"

#include "sim/ValueText.h"
#include "tests/sim/SimFrames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>

using qemra::sim::Answer;
using qemra::sim::Faults;
using qemra::sim::ParseNumber;
using qemra::sim::ProtocolCore;
using simtest::Frame;
using simtest::Pairs;
using simtest::Parse;

namespace {

using PairList = std::vector<std::pair<std::string, std::string>>;

class ProtocolCoreTest : public ::testing::Test {
protected:
    double now = 0;
    ProtocolCore core{7, [this] { return now; }};

    // The payload of the one clean answer to a request.
    std::string Ask(const std::string& request)
    {
        const std::vector<Answer> answers = core.Feed(Frame(request));
        EXPECT_EQ(answers.size(), 1u) << request;
        if (answers.size() != 1)
            return {};
        const simtest::Received received = Parse(answers[0].Bytes());
        EXPECT_TRUE(received.ChecksumValid()) << answers[0].Bytes();
        EXPECT_EQ(received.before, "");
        EXPECT_EQ(received.after, "");
        return received.payload;
    }

    double Read(const std::string& code)
    {
        const PairList pairs = Pairs(Ask("RD," + code + ","));
        EXPECT_EQ(pairs.size(), 1u) << code;
        const std::optional<double> value = pairs.empty() ? std::nullopt : ParseNumber(pairs[0].second);
        EXPECT_TRUE(value.has_value()) << code;
        return value.value_or(-999);
    }

    std::string Echo(const std::string& request, const std::string& key)
    {
        for (const auto& [k, v] : Pairs(Ask(request)))
            if (k == key)
                return v;
        return "(no echo)";
    }

    void Unlock() { Ask("RW,E91=1,P99=8462,"); }
};

TEST_F(ProtocolCoreTest, AnswersEveryCodeOfEachPollGroupWithValidChecksum)
{
    const std::vector<std::vector<std::string>> groups = {
        {"M01", "M11", "C01", "C11", "C12", "C32", "C50", "C51"},
        {"C52", "C53", "S00", "S01", "S11", "S12", "S13", "C21"},
        {"C22", "C16", "C17", "M05", "M51", "M52", "M53", "M54"},
        {"M55", "M21", "M22", "M23", "M31", "M32", "M33", "C26"},
        {"C27", "M04", "M12", "C71", "C72", "C76", "C77", "C78"},
        {"H50", "H51", "H82", "C13", "M00", "M00", "M00", "M00"},
    };
    const std::vector<std::string> wholeNumbers = {"C52", "S11", "S12", "S13", "H50", "H82"};
    for (const auto& group : groups) {
        std::string request = "RD,";
        std::vector<std::string> expectedKeys;
        for (const std::string& code : group) {
            request += code + ",";
            if (code != "M00")
                expectedKeys.push_back(code);
        }
        const std::string payload = Ask(request);
        ASSERT_EQ(payload.substr(0, 3), "AD,") << payload;
        std::vector<std::string> keys;
        for (const auto& [key, value] : Pairs(payload)) {
            keys.push_back(key);
            EXPECT_TRUE(ParseNumber(value).has_value()) << key << "=" << value;
            const bool whole = std::find(wholeNumbers.begin(), wholeNumbers.end(), key) != wholeNumbers.end();
            if (whole) {
                EXPECT_EQ(value.find('.'), std::string::npos) << key << "=" << value;
            }
        }
        EXPECT_EQ(keys, expectedKeys) << payload;
    }
}

TEST_F(ProtocolCoreTest, EchoesWrittenPairsInTheOrderSentAsHeld)
{
    // Numbers come back as the instrument holds them (0.750 -> 0.75); a non-number for a numeric
    // key is refused and the old value echoed; an unknown key is kept as written.
    EXPECT_EQ(Ask("RW,H82=2,XYZ=abc,H51=0.750,H50=1,H52=x,"), "AW,H82=2,XYZ=abc,H51=0.75,H50=1,H52=1.2,");
}

TEST_F(ProtocolCoreTest, ReportsWhatWasWrittenAndH52AsM55)
{
    Ask("RW,H50=1,H82=2,H51=0.80,H52=2.30,XYZ=abc,");
    EXPECT_EQ(Pairs(Ask("RD,H50,H82,H51,M55,XYZ,M00,")),
              (PairList{{"H50", "1"}, {"H82", "2"}, {"H51", "0.80"}, {"M55", "2.30"}, {"XYZ", "abc"}}));
}

TEST_F(ProtocolCoreTest, ProtectedKeysChangeOnlyWhileE91AndAccessCodeHold)
{
    struct Case {
        const char* name;
        std::vector<std::string> before;
        std::string write;
        std::string echo;
    };
    const std::vector<Case> cases = {
        {"locked from the start", {}, "RW,E01=42,", "50"},
        {"access code without E91", {}, "RW,P99=8462,E01=42,", "50"},
        {"E91 without access code", {}, "RW,E91=1,E01=42,", "50"},
        {"wrong access code", {}, "RW,E91=1,P99=8461,E01=42,", "50"},
        {"key before the unlock pairs", {}, "RW,E01=42,E91=1,P99=8462,", "50"},
        {"unlocked in the same request", {}, "RW,E91=1,P99=8462,E01=42,", "42"},
        {"unlocked by an earlier request", {"RW,E91=1,P99=8462,"}, "RW,E01=42,", "42"},
        {"E91 again with the code still held", {"RW,E91=1,P99=8462,", "RW,E91=0,"}, "RW,E91=1,E01=42,", "42"},
        {"locked again by the finishing pairs", {"RW,E91=1,P99=8462,", "RW,E91=0,P99=0,"}, "RW,E01=42,", "50"},
    };
    for (const Case& c : cases) {
        ProtocolCore fresh(1, [] { return 0.0; });
        for (const std::string& request : c.before)
            fresh.Feed(Frame(request));
        const std::vector<Answer> answers = fresh.Feed(Frame(c.write));
        ASSERT_EQ(answers.size(), 1u) << c.name;
        std::string echo = "(no echo)";
        for (const auto& [key, value] : Pairs(Parse(answers[0].Bytes()).payload))
            if (key == "E01")
                echo = value;
        EXPECT_EQ(echo, c.echo) << c.name;
        EXPECT_EQ(fresh.instrument().Held("E01"), c.echo) << c.name;
    }
}

TEST_F(ProtocolCoreTest, ProtectionCoversE01ToE28AndP01ToP41Only)
{
    const std::vector<std::pair<std::string, std::string>> lockedEcho = {
        {"E01", "50"}, {"E28", "0"}, {"P01", "0"}, {"P41", "9"}, {"E29", "7"}, {"P42", "7"}, {"P91", "7"},
    };
    for (const auto& [key, echo] : lockedEcho)
        EXPECT_EQ(Echo("RW," + key + "=7,", key), echo) << key;
}

TEST_F(ProtocolCoreTest, HotWireDifferenceFallsFromDifT0mToAdjDifTAtAdjWS)
{
    // E01 DifT0m, E02 AdjWS, E03 AdjDifT.
    struct Case {
        std::string constants;
        double wind;
        double expected;
    };
    const std::vector<Case> cases = {
        {"", 0.0, 50.0},
        {"", 5.0, 20.0},
        {"RW,E91=1,P99=8462,E01=40.00,E02=4.00,E03=15.00,", 0.0, 40.0},
        {"RW,E91=1,P99=8462,E01=40.00,E02=4.00,E03=15.00,", 4.0, 15.0},
    };
    for (const Case& c : cases) {
        ProtocolCore fresh(3, [] { return 0.0; });
        if (!c.constants.empty())
            fresh.Feed(Frame(c.constants));
        fresh.instrument().SetWindSpeed(c.wind);
        const auto pairs = Pairs(Parse(fresh.Feed(Frame("RD,C32,")).at(0).Bytes()).payload);
        ASSERT_EQ(pairs.size(), 1u);
        EXPECT_NEAR(ParseNumber(pairs[0].second).value_or(-1), c.expected, 0.1) << c.constants << " wind " << c.wind;
    }

    Ask("RW,E91=1,P99=8462,E01=40.00,E02=4.00,E03=15.00,");
    double previous = 40.5;
    for (const double wind : {0.5, 1.0, 2.0, 3.0, 3.9}) {
        core.instrument().SetWindSpeed(wind);
        const double difference = Read("C32");
        EXPECT_GT(difference, 15.0) << wind;
        EXPECT_LT(difference, previous) << wind;
        previous = difference;
    }
}

TEST_F(ProtocolCoreTest, WindAndAmbientSettingsShowInTheReadings)
{
    EXPECT_EQ(Pairs(Ask("RD,M01,")), (PairList{{"M01", "0.000"}}));  // still air reads exactly zero
    core.instrument().SetWindSpeed(2.5);
    EXPECT_NEAR(Read("M01"), 2.5, 0.01);
    EXPECT_NEAR(Read("C01"), 2.5, 0.1);

    core.instrument().SetAmbient(30.0);
    now = 1200;  // long enough for every sensor to settle
    EXPECT_NEAR(Read("M11"), 30.0, 0.3);
    for (const char* code : {"C11", "C21", "C22", "C71", "C12", "C16", "C17", "M04", "C26", "C27", "C76", "C77", "C78"})
        EXPECT_NEAR(Read(code), 30.0, 2.5) << code;
}

TEST_F(ProtocolCoreTest, WrittenSensorCorrectionShiftsItsReading)
{
    const std::vector<std::pair<std::string, std::string>> keyAndCode = {
        {"E16", "C21"}, {"E17", "C22"}, {"E12", "C16"}, {"E13", "C17"}, {"E21", "C26"},
        {"E22", "C27"}, {"E26", "C76"}, {"E27", "C77"}, {"E28", "C78"},
    };
    Unlock();
    for (const auto& [key, code] : keyAndCode) {
        const double before = Read(code);
        Ask("RW," + key + "=1.000,");
        EXPECT_NEAR(Read(code) - before, 1.0, 0.12) << key << " -> " << code;
    }
}

TEST_F(ProtocolCoreTest, EachFaultShowsInTheAnswer)
{
    struct Case {
        const char* name;
        std::function<void(Faults&)> set;
        std::string request;
        std::function<void(const std::vector<Answer>&)> check;
    };
    auto one = [](const std::vector<Answer>& answers) {
        EXPECT_EQ(answers.size(), 1u);
        return answers.empty() ? simtest::Received{} : Parse(answers[0].Bytes());
    };
    const std::string clean = "AD,S01=1.05,";  // checksum F4: it has a letter to lower
    const std::vector<Case> cases = {
        {"drop", [](Faults& f) { f.drop = 1; }, "RD,S01,",
         [](const std::vector<Answer>& a) { EXPECT_TRUE(a.empty()); }},
        {"delay", [](Faults& f) { f.delayMs = 300; }, "RD,S01,",
         [&](const std::vector<Answer>& a) {
             EXPECT_TRUE(one(a).ChecksumValid());
             EXPECT_EQ(a.at(0).delayMs, 300);
         }},
        {"corrupt", [](Faults& f) { f.corrupt = 1; }, "RD,S01,",
         [&](const std::vector<Answer>& a) {
             const auto r = one(a);
             EXPECT_EQ(r.payload, clean);
             EXPECT_TRUE(r.complete);
             EXPECT_FALSE(r.ChecksumValid());
             EXPECT_EQ(r.checksum.find_first_not_of("0123456789ABCDEF"), std::string::npos) << r.checksum;
         }},
        {"lowercase", [](Faults& f) { f.lowerCase = 1; }, "RD,S01,",
         [&](const std::vector<Answer>& a) {
             const auto r = one(a);
             EXPECT_EQ(r.payload, clean);
             EXPECT_EQ(r.checksum, "f4");
         }},
        {"stray", [](Faults& f) { f.stray = 1; }, "RD,S01,",
         [&](const std::vector<Answer>& a) {
             const auto r = one(a);
             EXPECT_TRUE(r.ChecksumValid());
             EXPECT_GE(r.before.size(), 1u);
             EXPECT_LE(r.before.size(), 4u);
         }},
        {"noise", [](Faults& f) { f.noise = 1; }, "RD,S01,",
         [&](const std::vector<Answer>& a) {
             const auto r = one(a);
             EXPECT_TRUE(r.ChecksumValid());
             EXPECT_EQ(r.before, "");
             EXPECT_FALSE(r.after.empty());
             EXPECT_EQ(r.after.find_first_of("<>"), std::string::npos);
         }},
        {"split", [](Faults& f) { f.split = 1; }, "RD,S01,",
         [&](const std::vector<Answer>& a) {
             EXPECT_TRUE(one(a).ChecksumValid());
             EXPECT_GE(a.at(0).pieces.size(), 2u);
             EXPECT_GT(a.at(0).gapMs, 0);
             for (const std::string& piece : a.at(0).pieces)
                 EXPECT_FALSE(piece.empty());
         }},
        {"wrongecho", [](Faults& f) { f.wrongEcho = 1; }, "RW,H50=1,",
         [&](const std::vector<Answer>& a) {
             const auto r = one(a);
             EXPECT_TRUE(r.ChecksumValid());
             EXPECT_NE(r.payload, "AW,H50=1,");
         }},
        {"hangup-after", [](Faults& f) { f.hangUpAfter = 0; }, "RD,S01,",
         [](const std::vector<Answer>& a) {
             ASSERT_EQ(a.size(), 1u);
             EXPECT_TRUE(a[0].hangUp);
             EXPECT_TRUE(a[0].pieces.empty());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProtocolCore fresh(5, [] { return 0.0; });
        c.set(fresh.faults());
        c.check(fresh.Feed(Frame(c.request)));
    }
}

TEST_F(ProtocolCoreTest, WrongEchoLeavesTheWrittenValueInPlace)
{
    core.faults().wrongEcho = 1;
    EXPECT_NE(Echo("RW,H82=2,", "H82"), "2");
    core.faults().wrongEcho = 0;
    EXPECT_EQ(Pairs(Ask("RD,H82,")), (PairList{{"H82", "2"}}));
}

TEST_F(ProtocolCoreTest, HangsUpAfterTheGivenRequestsOnEveryLine)
{
    core.faults().hangUpAfter = 2;
    for (int line = 0; line < 2; ++line) {
        Ask("RD,S00,");
        Ask("RD,S00,");
        const std::vector<Answer> third = core.Feed(Frame("RD,S00,"));
        ASSERT_EQ(third.size(), 1u);
        EXPECT_TRUE(third[0].hangUp);
        core.NewLine();
    }
}

TEST_F(ProtocolCoreTest, IgnoresBadFramesAndAnswersTheNextGoodOne)
{
    const std::vector<std::pair<const char*, std::string>> garbage = {
        {"wrong checksum", "<RD,M01,>EB\r\n"},
        {"lower-case checksum", "<RD,M01,>ea\r\n"},
        {"line noise", std::string("\x01\xff abc\r\n", 8)},
        {"frame without end", "<RD,M01,"},
        {"an answer, not a request", Frame("AD,M01=0.5,")},
        {"unknown command", Frame("XX,M01,")},
    };
    for (const auto& [name, bytes] : garbage) {
        EXPECT_TRUE(core.Feed(bytes).empty()) << name;
        EXPECT_EQ(core.Feed(Frame("RD,S00,")).size(), 1u) << name;
    }
}

TEST_F(ProtocolCoreTest, AnswersRequestsHoweverTheBytesArrive)
{
    const std::string two = Frame("RD,S00,") + Frame("RD,S01,");
    const std::vector<Answer> together = core.Feed(two);
    ASSERT_EQ(together.size(), 2u);
    EXPECT_EQ(Parse(together[0].Bytes()).payload, "AD,S00=3.1,");
    EXPECT_EQ(Parse(together[1].Bytes()).payload, "AD,S01=1.05,");

    std::vector<std::string> payloads;
    for (const char c : two)
        for (const Answer& answer : core.Feed(std::string(1, c)))
            payloads.push_back(Parse(answer.Bytes()).payload);
    EXPECT_EQ(payloads, (std::vector<std::string>{"AD,S00=3.1,", "AD,S01=1.05,"}));
}

TEST_F(ProtocolCoreTest, SameSeedRepeatsARunAndAnotherSeedDoesNot)
{
    auto run = [](std::uint64_t seed) {
        double t = 0;
        ProtocolCore c(seed, [&t] { return t; });
        Faults& f = c.faults();
        f.drop = f.corrupt = f.lowerCase = f.stray = f.noise = f.split = f.wrongEcho = 0.3;
        c.instrument().SetWindSpeed(1.2);
        std::string transcript;
        for (int i = 0; i < 40; ++i) {
            t = i * 0.2;
            const std::string request = i % 5 == 0 ? "RW,H51=0.60,H52=1.10," : "RD,M01,M11,C32,M53,M54,C52,";
            for (const Answer& a : c.Feed(Frame(request))) {
                for (const std::string& piece : a.pieces)
                    transcript += piece + "|";
                transcript += std::to_string(a.gapMs) + "\n";
            }
        }
        return transcript;
    };
    EXPECT_EQ(run(11), run(11));
    EXPECT_NE(run(11), run(12));
}

}  // namespace
