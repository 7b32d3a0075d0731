#include "sim/Controls.h"
#include "sim/Options.h"

#include <gtest/gtest.h>

#include <functional>

using qemra::sim::ApplySetting;
using qemra::sim::CommandReply;
using qemra::sim::ParseOptions;
using qemra::sim::ProtocolCore;
using qemra::sim::RunCommand;

namespace {

TEST(SimControls, CommandsChangeTheirSetting)
{
    struct Case {
        const char* line;
        std::function<double(const ProtocolCore&)> read;
        double expected;
    };
    const std::vector<Case> cases = {
        {"wind 1.5", [](const ProtocolCore& c) { return c.instrument().WindSpeed(); }, 1.5},
        {"ambient 24", [](const ProtocolCore& c) { return c.instrument().Ambient(); }, 24},
        {"  humidity   65 ", [](const ProtocolCore& c) { return c.instrument().Humidity(); }, 65},
        {"drop 0.3", [](const ProtocolCore& c) { return c.faults().drop; }, 0.3},
        {"delay 500", [](const ProtocolCore& c) { return c.faults().delayMs; }, 500},
        {"corrupt 0.1", [](const ProtocolCore& c) { return c.faults().corrupt; }, 0.1},
        {"lowercase 1", [](const ProtocolCore& c) { return c.faults().lowerCase; }, 1},
        {"stray 0.2", [](const ProtocolCore& c) { return c.faults().stray; }, 0.2},
        {"noise 0.25", [](const ProtocolCore& c) { return c.faults().noise; }, 0.25},
        {"split 1", [](const ProtocolCore& c) { return c.faults().split; }, 1},
        {"wrongecho 0.5", [](const ProtocolCore& c) { return c.faults().wrongEcho; }, 0.5},
        {"hangup-after 3", [](const ProtocolCore& c) { return c.faults().hangUpAfter.value_or(-1); }, 3},
    };
    for (const Case& c : cases) {
        ProtocolCore core(1, [] { return 0.0; });
        const CommandReply reply = RunCommand(core, c.line);
        EXPECT_EQ(reply.action, CommandReply::Action::None) << c.line;
        EXPECT_EQ(reply.message.rfind("ok ", 0), 0u) << c.line << ": " << reply.message;
        EXPECT_DOUBLE_EQ(c.read(core), c.expected) << c.line;
    }
}

TEST(SimControls, WordCommandsAskForTheirAction)
{
    ProtocolCore core(1, [] { return 0.0; });
    EXPECT_EQ(RunCommand(core, "hangup").action, CommandReply::Action::HangUp);
    EXPECT_EQ(RunCommand(core, "quit\r").action, CommandReply::Action::Quit);
    EXPECT_NE(RunCommand(core, "status").message.find("requests 0"), std::string::npos);
    EXPECT_NE(RunCommand(core, "help").message.find("wrongecho"), std::string::npos);
    EXPECT_EQ(RunCommand(core, "").message, "");
    core.faults().hangUpAfter = 2;
    RunCommand(core, "hangup-after off");
    EXPECT_FALSE(core.faults().hangUpAfter.has_value());
}

TEST(SimControls, RefusesBadCommandsAndKeepsEverySetting)
{
    for (const char* line : {"drop 1.5", "drop", "drop -0.1", "wind abc", "wind -1", "delay -1", "delay 2.5", "fly 3",
                             "status now", "hangup-after x"}) {
        ProtocolCore core(1, [] { return 0.0; });
        const CommandReply reply = RunCommand(core, line);
        EXPECT_EQ(reply.action, CommandReply::Action::None) << line;
        EXPECT_FALSE(reply.message.empty()) << line;
        EXPECT_NE(reply.message.rfind("ok ", 0), 0u) << line;
        EXPECT_EQ(core.faults().drop, 0) << line;
        EXPECT_EQ(core.faults().delayMs, 0) << line;
        EXPECT_FALSE(core.faults().hangUpAfter.has_value()) << line;
        EXPECT_EQ(core.instrument().WindSpeed(), 0) << line;
    }
}

TEST(SimControls, HeldShowsWhatTheInstrumentHoldsForEachKey)
{
    ProtocolCore core(1, [] { return 0.0; });
    core.instrument().Write("E91", "1");
    core.instrument().Write("P99", "8462");
    core.instrument().Write("E01", "45.50");
    EXPECT_EQ(RunCommand(core, "held E01  P99 E91 X77").message, "E01=45.5 P99=8462 E91=1 X77=-");
    EXPECT_EQ(RunCommand(core, "held").message, "held wants one or more keys");
    EXPECT_NE(RunCommand(core, "help").message.find("held KEY"), std::string::npos);
}

TEST(SimOptions, ReadsEveryOptionInBothForms)
{
    const auto parsed =
        ParseOptions({"--seed", "9", "--link", "/tmp/qemra", "--port-ini=/tmp/Port0.ini", "--quiet", "--command-pipe",
                      "/tmp/qemra.cmd", "--drop", "0.5", "--wind=2", "--hangup-after", "4", "--clock-step=0.25"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.seed, 9u);
    EXPECT_EQ(parsed.options.clockStep, 0.25);
    EXPECT_EQ(parsed.options.link, "/tmp/qemra");
    EXPECT_EQ(parsed.options.portIni, "/tmp/Port0.ini");
    EXPECT_EQ(parsed.options.commandPipe, "/tmp/qemra.cmd");
    EXPECT_TRUE(parsed.options.quiet);
    EXPECT_FALSE(parsed.options.help);
    using Settings = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(parsed.options.settings, (Settings{{"drop", "0.5"}, {"wind", "2"}, {"hangup-after", "4"}}));
}

TEST(SimOptions, RejectsWhatItDoesNotUnderstand)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"}, {"--seed"},    {"--seed", "x"}, {"--seed=-1"},
        {"stray"},   {"--quiet=1"}, {"--link="},     {"--command-pipe"},
        {"--clock-step", "-1"}, {"--clock-step=nan"}, {"--clock-step", "0.2s"},
    };
    for (const auto& arguments : bad)
        EXPECT_NE(ParseOptions(arguments).error, "") << arguments.front();
}

}  // namespace
