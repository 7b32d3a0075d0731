#include "windows/main/MainWindow.h"
#include "app/Program.h"
#include "common/Cp932File.h"
#include "common/FileIo.h"
#include "common/NumberText.h"
#include "common/Prompts.h"
#include "windows/link/CommunicationWindow.h"
#include "windows/system/CalibrationPage.h"
#include "calibration/CalStatistics.h"
#include "windows/system/SystemSettingWindow.h"
#include "calibration/CalReportRecorder.h"
#include "tests/support/PdfTools.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <memory>

using namespace qemra;

namespace {

// The whole program against the simulated instrument, the main timer driven by the test with a
// fake clock: one tick per 200 ms of the clock, each waiting for the answer to what it sent, so a
// simulated minute passes in about two seconds and no answer is lost.
class ProgramWalk {
public:
    ProgramWalk()
        : sim_({"--seed", "11", "--ambient", "24", "--wind", "0.35", "--quiet", "--link", folder.file("sim.tty"),
                "--port-ini", folder.file("Port0.ini"), "--command-pipe", folder.file("sim.cmd")})
    {
        // The parameter defaults as the build places them next to the monitor.
        QFile shipped(QStringLiteral(QEMRA_DEFAULT_PRM));
        if (shipped.open(QIODevice::ReadOnly))
            folder.write("DefaultPrm.qemra", shipped.readAll());
        program = std::make_unique<Program>(clock, prompts, folder.path());
        program->Main().FormShow();
        // The technician works in the system-setting window, which opens on the calibration page.
        program->SysSet().show();
    }

    bool SimRunning() const { return !sim_.Device().isEmpty(); }
    TMainForm& Main() { return program->Main(); }
    TSysSetForm& SysSet() { return program->SysSet(); }
    TCalPage& Page() { return SysSet().Calibration(); }
    const CalStats& Stats() { return Page().Stats(); }
    std::int32_t Step() { return Page().CalStep(); }
    TWritePrm& Prm() { return program->WritePrm(); }
    const TMesHistory& History() { return program->State().MesHistory; }

    template <typename Widget>
    Widget* Find(const char* name)
    {
        return SysSet().findChild<Widget*>(QString::fromLatin1(name));
    }

    void WaitForAnswer()
    {
        QElapsedTimer waited;
        waited.start();
        while (!Main().Poll().AnsReady && waited.elapsed() < 3000)
            QTest::qWait(1);
    }
    void Tick()
    {
        Main().MainTimerTimer();
        WaitForAnswer();
        clock.AdvanceMilliseconds(200);
    }
    void Seconds(int seconds)
    {
        for (int i = 0; i < seconds * 5; ++i)
            Tick();
    }
    // Ticks until the condition holds, for at most the given simulated seconds.
    bool TickUntil(const std::function<bool()>& condition, int seconds)
    {
        for (int i = 0; i < seconds * 5 && !condition(); ++i)
            Tick();
        return condition();
    }
    bool TickUntilStep(int step, int seconds)
    {
        return TickUntil([&] { return Step() == step; }, seconds);
    }
    bool TickUntilEnabled(const char* button, int seconds)
    {
        return TickUntil([&] { return Find<QPushButton>(button)->isEnabled(); }, seconds);
    }
    void Click(const char* name)
    {
        auto* button = Find<QPushButton>(name);
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(button->isEnabled()) << name << " at step " << Step();
        button->click();
        WaitForAnswer();
    }
    // A command through the pipe beside the simulator's link, as a user walking a calibration
    // gives it; returns once the simulator reports it in effect.
    bool Steer(const QByteArray& command, const QString& effect)
    {
        QFile pipe(folder.file("sim.cmd"));
        if (!pipe.open(QIODevice::WriteOnly))
            return false;
        pipe.write(command + "\n");
        pipe.close();
        for (int i = 0; i < 100; ++i) {
            if (sim_.Ask(QStringLiteral("status")).contains(effect))
                return true;
            QTest::qWait(10);
        }
        return false;
    }
    // What the simulated instrument holds for the keys, as numbers.
    std::vector<float> Held(std::initializer_list<const char*> keys)
    {
        QString command = QStringLiteral("held");
        for (const char* key : keys)
            command += u' ' + QString::fromLatin1(key);
        std::vector<float> values;
        for (const QString& pair : sim_.Ask(command).split(u' ', Qt::SkipEmptyParts))
            values.push_back(pair.section(u'=', 1).toFloat());
        return values;
    }
    // Largest difference between the averages of the channels over the newest filled slots.
    double Spread(std::initializer_list<int> channels, int span)
    {
        double low = 1e9, high = -1e9;
        for (const int ch : channels) {
            double sum = 0;
            int n = 0;
            for (int k = 0; k < span; ++k) {
                if (!History()[k].Measuring)
                    continue;
                sum += double(History()[k].*CalChannelFields[static_cast<std::size_t>(ch)]);
                ++n;
            }
            const double average = n > 0 ? sum / n : 0;
            low = std::min(low, average);
            high = std::max(high, average);
        }
        return high - low;
    }

    TempFolder folder;
    FakeClock clock{EncodeDateTime(2024, 3, 5, 14, 7, 0) + 0.1 / 86400.0};
    RecordingPrompts prompts;
    std::unique_ptr<Program> program;

private:
    SimProcess sim_;
};

float Sent(float field, const char* format)
{
    return FormatFloat(QString::fromLatin1(format), double(field)).toFloat();
}

TEST(CalWalkEndToEndTest, CompleteCalibrationThroughThePageButtonsOnTheSimulatedInstrument)
{
    ProgramWalk walk;
    ASSERT_TRUE(walk.SimRunning()) << "the simulator printed no device path";
    ASSERT_FALSE(walk.folder.read("DefaultPrm.qemra").isEmpty()) << QEMRA_DEFAULT_PRM;

    // Connect from the system setting window and type the serial number.
    walk.Find<QToolButton>("SBConnection")->click();
    ASSERT_TRUE(walk.Main().CommCtrl().LinkOpen());
    walk.Find<QPushButton>("BBSNClear")->click();
    QTest::keyClicks(walk.Find<QLineEdit>("ESNum"), QStringLiteral("A123"));
    walk.Seconds(2);

    // Start: the initialisation and the six default-value groups, every one confirmed.
    walk.Click("BBCalStart");
    EXPECT_EQ(walk.Step(), 1);
    EXPECT_EQ(walk.Prm().SerialNo, "A123");
    ASSERT_TRUE(walk.TickUntilStep(4, 20));
    EXPECT_EQ(walk.prompts.texts(), QStringList()) << "DefaultPrm.qemra was found";
    walk.Seconds(1);
    EXPECT_TRUE(walk.Main().Poll().Acquiring);
    EXPECT_FALSE(walk.Main().CommCtrl().Link().ForceLog);
    EXPECT_EQ(walk.Held({"E91", "P99", "P91", "E01", "E02", "E03", "E04", "P41", "E06", "P32"}),
              (std::vector<float>{1, 8462, 9318, 50, 5, 20, 0.2f, 9, 3, 2.5f}));

    // The temperatures settle; their confirmation brings the six sensors into line.
    ASSERT_TRUE(walk.TickUntilEnabled("BBATRcvFin", 45));
    EXPECT_GE(walk.Spread({kChAT1, kChAT2, kChBGT1, kChBGT2, kChBBT1, kChBBT2}, 5), 0.5)
        << "the simulated sensors start apart";
    walk.Click("BBATRcvFin");
    EXPECT_EQ(walk.Step(), 6);
    ASSERT_TRUE(walk.TickUntilStep(7, 3));
    const TWritePrm& prm = walk.Prm();
    EXPECT_EQ(walk.Held({"E16", "E17", "E21", "E22", "E26", "E27"}),
              (std::vector<float>{Sent(prm.ATRevice0, "%1.3f"), Sent(prm.ATRevice1, "%1.3f"),
                                  Sent(prm.BGT_Revice0, "%1.3f"), Sent(prm.BGT_Revice1, "%1.3f"),
                                  Sent(prm.BBT_Revice0, "%1.3f"), Sent(prm.BBT_Revice1, "%1.3f")}));
    EXPECT_NE(prm.BBT_Revice0, 0.0f);
    walk.Seconds(6);
    EXPECT_LT(walk.Spread({kChAT1, kChAT2, kChBGT1, kChBGT2, kChBBT1, kChBBT2}, 4), 0.05);

    // The two WDS temperature sensors.
    ASSERT_TRUE(walk.TickUntilEnabled("BBWSTRcvFin", 40));
    walk.Click("BBWSTRcvFin");
    ASSERT_TRUE(walk.TickUntil([&] { return walk.Main().Poll().Acquiring; }, 3));
    EXPECT_EQ(walk.Step(), 7);
    EXPECT_EQ(walk.Held({"E12", "E13"}),
              (std::vector<float>{Sent(prm.WDTRevice0, "%1.3f"), Sent(prm.WDTRevice1, "%1.3f")}));
    walk.Seconds(6);
    EXPECT_LT(walk.Spread({kChWDT1, kChWDT2}, 4), 0.05);

    // Still air: once the 30 seconds hold only zero readings, the difference at rest is confirmed
    // and the next zero reading moves on to step 10.
    ASSERT_TRUE(walk.Steer("wind 0", QStringLiteral("wind 0.000 m/s")));
    ASSERT_TRUE(walk.TickUntil(
        [&] { return walk.Stats().WinMax[kChWind] == 0 && walk.Find<QPushButton>("BB0mCalFin")->isEnabled(); }, 45));
    walk.Click("BB0mCalFin");
    EXPECT_EQ(walk.Step(), 9);
    ASSERT_TRUE(walk.TickUntilStep(10, 5));
    EXPECT_NEAR(prm.DifT0m, 50.0, 0.05) << "the simulated hot wire at rest";
    EXPECT_EQ(walk.Held({"E01"}), (std::vector<float>{Sent(prm.DifT0m, "%1.2f")}));

    // Reference flow at AdjWS: the difference at speed, then the tolerance band completes it.
    ASSERT_EQ(prm.AdjWS, 5.0f);
    ASSERT_TRUE(walk.Steer("wind 5", QStringLiteral("wind 5.000 m/s")));
    ASSERT_TRUE(walk.TickUntilEnabled("BB4mCalFin", 45));
    walk.Click("BB4mCalFin");
    EXPECT_EQ(walk.Step(), 11);
    ASSERT_TRUE(walk.TickUntilStep(12, 5));
    EXPECT_NEAR(prm.AdjDifT, 20.0, 0.05) << "the simulated hot wire at the reference speed";
    EXPECT_EQ(walk.Held({"E03", "E02"}), (std::vector<float>{Sent(prm.AdjDifT, "%1.2f"), 5}));
    EXPECT_EQ(walk.Find<QLineEdit>("EDifT0m")->text(), FormatFloat(QStringLiteral("%1.2f"), double(prm.DifT0m)))
        << "the direct page shows the calibrated set";
    EXPECT_EQ(walk.Find<QLineEdit>("EAdjDifT")->text(), FormatFloat(QStringLiteral("%1.2f"), double(prm.AdjDifT)));
    if (const QByteArray shot = qgetenv("QEMRA_CAL_SHOT"); !shot.isEmpty()) {
        walk.SysSet().resize(1100, 760);
        walk.SysSet().grab().save(QString::fromLocal8Bit(shot));
    }
    walk.Click("BBFin");
    EXPECT_EQ(walk.prompts.texts(), QStringList());

    QStringList expected = {"■キャリブレーション開始■", "S/N:A123", "＜設定初期化＞", "設定OK"};
    for (int group = 0; group < 6; ++group)
        expected << QStringLiteral("＜デフォルト値設定＞：%1").arg(group) << "設定OK";
    expected << "□温度関係補正実施"
             << "＜気温補正送信＞"
             << "設定OK";
    expected << "□風向温度補正実施"
             << "＜風向温補正送信＞"
             << "設定OK";
    expected << "□0m補正実施"
             << "＜0m/s. 補正送信＞"
             << "設定OK";
    expected << "□Nm補正実施"
             << "＜Nm/s. 補正送信＞"
             << "設定OK";
    expected << "□作業完了";
    EXPECT_EQ(walk.Page().Memo()->toPlainText().split(u'\n'), expected);

    // The work logs hold every snapshot but the newest, oldest first, after their two header lines.
    int stamped = 0;
    for (int k = 0; k < TMesHistory::kSlots; ++k)
        stamped += walk.History()[k].Stamp != 0 ? 1 : 0;
    const QString base = QStringLiteral("A123_2403051407");
    const QByteArray header = ToCp932(",風速,気温,温度差,風速(RAW),AT-1,AT-2,WDT-1,WDT-2,BGT-1,BGT-2,BBT-1,BBT-2,\r\n"
                                      ",m/s.,℃,℃,m/s.,℃,℃,℃,℃,℃,℃,℃,℃,\r\n");
    for (const char* suffix : {"_ATR.csv", "_WTR.csv", "_cal0.csv", "_calx.csv", "_Fin.csv"}) {
        const QByteArray log = walk.folder.read(base + suffix);
        EXPECT_TRUE(log.startsWith(header)) << suffix;
        EXPECT_GE(log.count("\r\n"), 2 + 29) << suffix << ": at least the 30 seconds the flags need, less the newest";
    }
    const QList<QByteArray> fin = walk.folder.read(base + "_Fin.csv").split('\n');
    EXPECT_EQ(fin.size(), 2 + stamped - 1 + 1) << "header, snapshots, and nothing after the last CR LF";
    EXPECT_TRUE(fin[2].startsWith("2024/03/05 14:07:")) << fin[2].toStdString();
    EXPECT_EQ(fin[2].count(','), 13);

    // The work file holds the calibrated parameter set.
    const QByteArray work = walk.folder.read(base + ".qemra");
    EXPECT_TRUE(work.startsWith("[Early]\r\n")) << work.toStdString();
    TWritePrm saved;
    LoadParameterFile(saved, walk.folder.file(base + ".qemra"));
    for (const TParameterKey& key : ParameterKeys)
        EXPECT_EQ(key.Value(saved), key.Value(prm)) << key.Name;

    // The certificate beside them: the serial number, every written value on its line from the
    // default to the text the instrument took, the verdict, and a page a viewer renders.
    const QString report = walk.folder.file(base + "_Report.pdf");
    ASSERT_TRUE(walk.folder.exists(base + "_Report.pdf"));
    if (const QByteArray copy = qgetenv("QEMRA_CAL_REPORT"); !copy.isEmpty()) {
        QFile::remove(QString::fromLocal8Bit(copy));
        QFile::copy(report, QString::fromLocal8Bit(copy));
    }
    const QString text = PdfText(report, false).simplified();
    ASSERT_FALSE(text.isEmpty()) << "pdftotext (poppler-utils) read nothing";
    EXPECT_TRUE(text.contains(QStringLiteral("A123"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("合格")) && !text.contains(QStringLiteral("不合格")));
    const PdfPage page = PdfWords(report);
    const struct {
        const char* key;
        float value;
        const char* format;
        const char* before;
    } written[] = {
        {"E16", prm.ATRevice0, "%1.3f", "0.000"},   {"E17", prm.ATRevice1, "%1.3f", "0.000"},
        {"E21", prm.BGT_Revice0, "%1.3f", "0.000"}, {"E22", prm.BGT_Revice1, "%1.3f", "0.000"},
        {"E26", prm.BBT_Revice0, "%1.3f", "0.000"}, {"E27", prm.BBT_Revice1, "%1.3f", "0.000"},
        {"E12", prm.WDTRevice0, "%1.3f", "0.000"},  {"E13", prm.WDTRevice1, "%1.3f", "0.000"},
        {"E01", prm.DifT0m, "%1.2f", "50.00"},      {"E03", prm.AdjDifT, "%1.2f", "20.00"},
        {"E02", prm.AdjWS, "%1.2f", "5.00"},
    };
    for (const auto& w : written) {
        const QString sent = FormatFloat(QString::fromLatin1(w.format), double(w.value));
        EXPECT_EQ(walk.Held({w.key}), std::vector<float>{sent.toFloat()})
            << w.key << ": the instrument took " << sent.toStdString();
        const QString line = PdfLineFrom(page, QString::fromLatin1(w.key), 290);
        EXPECT_TRUE(line.endsWith(u' ' + QString::fromLatin1(w.before) + u' ' + sent)) << line.toStdString();
    }
    const QImage image = PdfImage(report, 40);
    ASSERT_FALSE(image.isNull()) << "pdftoppm (poppler-utils) rendered nothing";
    EXPECT_NEAR(double(image.height()) / image.width(), 297.0 / 210.0, 0.01) << "A4 portrait";

    // A certificate that cannot be written keeps the one before it byte for byte and says so in
    // the file error box; the finish still writes its work log.
    const QByteArray before = walk.folder.read(base + "_Report.pdf");
    FailingFileIo full;
    full.freeBytes = 1000;
    walk.Page().ReportRecorder().UseFileIo(full);
    walk.Seconds(2);
    ASSERT_TRUE(walk.TickUntilEnabled("BBFin", 20)) << "the 15-second average back in its band";
    walk.Click("BBFin");
    EXPECT_EQ(walk.prompts.texts(), QStringList{QStringLiteral("Cannot create file \"%1\".").arg(report)});
    EXPECT_EQ(walk.folder.read(base + "_Report.pdf"), before);
    EXPECT_EQ(walk.Page().Memo()->toPlainText().split(u'\n').last(), "□作業完了");
    EXPECT_GT(walk.folder.read(base + "_Fin.csv").count("\r\n"), fin.size() - 1) << "the later finish's log is longer";
    EXPECT_EQ(QDir(walk.folder.path()).entryList({QStringLiteral(".*Report*")}, QDir::Files | QDir::Hidden),
              QStringList())
        << "no temporary file stays";
}

}  // namespace
