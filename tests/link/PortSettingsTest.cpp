#include "common/IniFile.h"
#include "link/SerialPort.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace qemra;

namespace {

struct Settings {
    QString port = "COM7";
    TBaudRate baud = TBaudRate::br38400;
    int custom = 9600;
    TDataBits dataBits = TDataBits::dbEight;
    TStopBits stopBits = TStopBits::sbOneStopBit;
    TParityBits parity = TParityBits::prNone;
    TFlowControl flow = TFlowControl::fcNone;
};

void ExpectSettings(const TComPort& port, const Settings& s, const char* name)
{
    EXPECT_EQ(port.Port(), s.port) << name;
    EXPECT_EQ(port.BaudRate(), s.baud) << name;
    EXPECT_EQ(port.CustomBaudRate(), s.custom) << name;
    EXPECT_EQ(port.DataBits(), s.dataBits) << name;
    EXPECT_EQ(port.StopBits(), s.stopBits) << name;
    EXPECT_EQ(port.Parity(), s.parity) << name;
    EXPECT_EQ(port.FlowControl(), s.flow) << name;
}

TEST(PortSettings, StartsWithTheStartValues)
{
    TComPort port;
    ExpectSettings(port, Settings{}, "start");
    EXPECT_TRUE(port.DiscardNull());
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.EffectiveBaudRate(), 38400);
}

TEST(PortSettings, LoadsMatchingValuesAndFallsBackOnUnknownOnes)
{
    struct Case {
        const char* name;
        const char* file;  // nullptr: no file at all
        std::function<void(TComPort&)> before;
        Settings expected;
    };
    const auto hardware = [](TComPort& p) { p.SetFlowControl(TFlowControl::fcHardware); };
    const std::vector<Case> cases = {
        {"missing file", nullptr, {}, {}},
        {"unknown baud rate", "[ComPortM]\nBaudRate=fast\n", {}, {.baud = TBaudRate::br9600}},
        {"lower-case parity", "[ComPortM]\nParity=even\n", {}, {.parity = TParityBits::prEven}},
        {"upper-case parity", "[ComPortM]\nParity=EVEN\n", {}, {.parity = TParityBits::prEven}},
        {"custom without its rate",
         "[ComPortM]\nBaudRate=Custom\n",
         [](TComPort& p) { p.SetCustomBaudRate(1234); },
         {.baud = TBaudRate::brCustom, .custom = 9600}},
        {"custom with its rate",
         "[ComPortM]\nBaudRate=custom\nCustomBaudRate=31250\n",
         {},
         {.baud = TBaudRate::brCustom, .custom = 31250}},
        {"custom rate ignored unless custom",
         "[ComPortM]\nBaudRate=57600\nCustomBaudRate=31250\n",
         {},
         {.baud = TBaudRate::br57600}},
        {"unknown stop, data bits and parity",
         "[ComPortM]\nStopBits=3\nDataBits=9\nParity=x\n",
         [](TComPort& p) {
             p.SetStopBits(TStopBits::sbTwoStopBits);
             p.SetDataBits(TDataBits::dbSeven);
             p.SetParity(TParityBits::prOdd);
         },
         {}},
        {"unknown flow keeps the switches",
         "[ComPortM]\nFlowControl=sometimes\n",
         hardware,
         {.flow = TFlowControl::fcHardware}},
        {"flow by name", "[ComPortM]\nFlowControl=software\n", hardware, {.flow = TFlowControl::fcSoftware}},
        {"missing keys keep the current values",
         "[ComPortM]\nDataBits=7\n",
         [](TComPort& p) { p.SetPort("/dev/ttyUSB1"); },
         {.port = "/dev/ttyUSB1", .dataBits = TDataBits::dbSeven}},
        {"names without regard to case",
         "[comportm]\r\nPORT=/dev/ttyS0\r\nbaudrate=115200\r\nstopbits=1.5\r\n",
         {},
         {.port = "/dev/ttyS0", .baud = TBaudRate::br115200, .stopBits = TStopBits::sbOne5StopBits}},
        {"other sections ignored", "[Other]\nBaudRate=110\n", {}, {}},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        if (c.file)
            folder.write("Port0.ini", c.file);
        TComPort port;
        if (c.before)
            c.before(port);
        EXPECT_TRUE(port.LoadSettings(folder.file("Port0.ini"))) << c.name;
        ExpectSettings(port, c.expected, c.name);
    }
}

TEST(PortSettings, StoresTheStartValuesInTheirKeyOrder)
{
    TempFolder folder;
    TComPort port;
    ASSERT_TRUE(port.StoreSettings(folder.file("Port0.ini")));
    EXPECT_EQ(folder.read("Port0.ini"),
              "[ComPortM]\r\nPort=COM7\r\nBaudRate=38400\r\nStopBits=1\r\nDataBits=8\r\nParity=None\r\n"
              "FlowControl=None\r\n");
}

TEST(PortSettings, StoresTheCustomRateOnlyWithACustomBaudRateAndReadsEverythingBack)
{
    TempFolder folder;
    TComPort port;
    port.SetPort("/dev/pts/7");
    port.SetBaudRate(TBaudRate::brCustom);
    port.SetCustomBaudRate(31250);
    port.SetStopBits(TStopBits::sbOne5StopBits);
    port.SetDataBits(TDataBits::dbSeven);
    port.SetParity(TParityBits::prMark);
    port.SetFlowControl(TFlowControl::fcSoftware);
    ASSERT_TRUE(port.StoreSettings(folder.file("Port0.ini")));
    EXPECT_EQ(folder.read("Port0.ini"),
              "[ComPortM]\r\nPort=/dev/pts/7\r\nBaudRate=Custom\r\nCustomBaudRate=31250\r\nStopBits=1.5\r\n"
              "DataBits=7\r\nParity=Mark\r\nFlowControl=Software\r\n");

    TComPort loaded;
    ASSERT_TRUE(loaded.LoadSettings(folder.file("Port0.ini")));
    ExpectSettings(loaded,
                   {"/dev/pts/7", TBaudRate::brCustom, 31250, TDataBits::dbSeven, TStopBits::sbOne5StopBits,
                    TParityBits::prMark, TFlowControl::fcSoftware},
                   "round trip");
    EXPECT_EQ(loaded.EffectiveBaudRate(), 31250);
}

TEST(PortSettings, ReportsFilesThatCannotBeReadOrWritten)
{
    TempFolder folder;
    TComPort port;
    EXPECT_FALSE(port.StoreSettings(folder.file("missing/Port0.ini")));
    EXPECT_EQ(port.ErrorText(), "Failed to store settings");

    folder.write("Port0.ini/placeholder", "");  // a folder where the file should be
    EXPECT_FALSE(port.LoadSettings(folder.file("Port0.ini")));
    EXPECT_EQ(port.ErrorText(), "Failed to load settings");

    // Over 1 MB, or no text at all: refused, with every setting as it was.
    const QByteArray settings = "[ComPortM]\r\nPort=/dev/ttyS9\r\n";
    const QString text = QString::fromLatin1(settings);
    for (const QByteArray& bytes : {settings + QByteArray(IniFile::kMaxBytes, ' '),
                                    QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2)}) {
        folder.write("Other.ini", bytes);
        EXPECT_FALSE(port.LoadSettings(folder.file("Other.ini")));
        EXPECT_EQ(port.ErrorText(), "Failed to load settings");
        EXPECT_EQ(port.Port(), "COM7");
    }
}

}  // namespace
