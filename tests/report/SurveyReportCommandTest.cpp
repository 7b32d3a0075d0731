// The survey report as a user asks for it: the real program, with no display and no platform plugin
// named.
#include "common/Cp932File.h"
#include "tests/support/PdfTools.h"
#include "tests/support/TempFolder.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Result RunMonitor(const QStringList& args, const QString& language = QStringLiteral("ja"))
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("LANGUAGE"), language);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QEMRA_MONITOR_PATH), args);
    Result result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

// One day of three second rows of port COM7; the day before has no file.
void WriteRecords(const TempFolder& data)
{
    data.write(QStringLiteral("Record/RT_COM7_20261211.csv"),
               qemra::Cp932Lines(
                   {QStringLiteral("COM7,風速,気温,湿度,輻射熱,METs,clo,PMV,WBGTo,WBGTi,絶対湿度,露点温度,湿球温度,"),
                    QStringLiteral("時刻,m/s.,℃,％,℃,,,,℃,℃,g/kg,℃,℃,"),
                    QStringLiteral("2026/12/11 09:41:00,0.512,23.45,48.123,24.10,1.20,0.70,-0.31,21.40,22.95,"
                                   "9.87,12.34,15.55,"),
                    QStringLiteral("2026/12/11 09:41:01,0.500,23.50,48.000,24.10,1.20,0.70,0.20,21.40,25.00,"
                                   "9.87,12.34,15.55,"),
                    QStringLiteral("2026/12/11 09:41:02,0.100,23.50,48.000,24.10,1.20,0.70,0.60,21.40,25.00,"
                                   "9.87,12.34,15.55,")}));
}

const QStringList kRange = {"--summary", "2026/12/10", "2026/12/11"};

TEST(SurveyReportCommand, WritesTheReportAndASidecarHoldingTheSummaryItsInputsAndVerdicts)
{
    TempFolder data;
    WriteRecords(data);
    const Result summary = RunMonitor(kRange + QStringList{"--data-dir", data.path(), "--json"});
    ASSERT_EQ(summary.exitCode, 0) << summary.err.toStdString();

    const QString pdf = data.file("survey.pdf");
    const Result result = RunMonitor(kRange + QStringList{"--data-dir", data.path(), "--report", pdf});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(result.out), pdf + '\n' + data.file("survey.json") + '\n');
    EXPECT_TRUE(data.read("survey.pdf").startsWith("%PDF-"));

    QJsonObject sidecar = QJsonDocument::fromJson(data.read("survey.json")).object();
    const QJsonObject inputs = sidecar.take("inputs").toObject();
    const QJsonObject verdicts = sidecar.take("verdicts").toObject();
    EXPECT_EQ(sidecar, QJsonDocument::fromJson(summary.out).object()) << "the summary object as it is";

    const QJsonArray files = inputs["files"].toArray();
    ASSERT_EQ(files.size(), 1);
    const QString record = data.file("Record/RT_COM7_20261211.csv");
    EXPECT_EQ(QFileInfo(files[0]["path"].toString()).canonicalFilePath(), QFileInfo(record).canonicalFilePath());
    EXPECT_EQ(files[0]["bytes"].toInteger(), QFileInfo(record).size());
    EXPECT_EQ(inputs["missing_days"], QJsonArray({"2026-12-10"}));
    EXPECT_EQ(inputs["port"], "COM7");
    EXPECT_TRUE(inputs["program_version"].toString().startsWith("Qemra-series Monitor Ver."));
    // One of three seconds beyond |PMV| 0.5: outside category B by far more than the 5 %.
    EXPECT_EQ(verdicts["pmv_category"]["result"], "fail");
    EXPECT_EQ(
        RunMonitor(kRange + QStringList{"--data-dir", data.path(), "--report", pdf, "--tolerance", "40"}).exitCode, 0);
    const QJsonObject wider = QJsonDocument::fromJson(data.read("survey.json")).object()["verdicts"].toObject();
    EXPECT_EQ(wider["pmv_category"]["result"], "pass");
}

TEST(SurveyReportCommand, SpeaksTheScreensLanguageWithTheSameSidecar)
{
    TempFolder data;
    WriteRecords(data);
    ASSERT_EQ(RunMonitor(kRange + QStringList{"--data-dir", data.path(), "--report", data.file("ja.pdf")}).exitCode, 0);
    ASSERT_EQ(
        RunMonitor(kRange + QStringList{"--data-dir", data.path(), "--report", data.file("en.pdf")}, "en").exitCode, 0);
    EXPECT_TRUE(PdfText(data.file("ja.pdf")).contains(QStringLiteral("温熱環境調査報告書")));
    EXPECT_TRUE(PdfText(data.file("en.pdf")).contains(QStringLiteral("Thermal environment survey report")));
    QJsonObject japanese = QJsonDocument::fromJson(data.read("ja.json")).object();
    QJsonObject english = QJsonDocument::fromJson(data.read("en.json")).object();
    japanese.remove("generated");
    english.remove("generated");
    EXPECT_EQ(japanese["verdicts"], english["verdicts"]);
    EXPECT_EQ(japanese["quantities"], english["quantities"]);
}

TEST(SurveyReportCommand, StopsWithTwoOnABadReportOptionAndWritesNothing)
{
    TempFolder data;
    WriteRecords(data);
    const QString pdf = data.file("survey.pdf");
    const std::vector<QStringList> cases = {
        {"--report", pdf, "--tolerance", "150"},
        {"--report", pdf, "--tolerance", "5%"},
        {"--report", pdf, "--tolerance"},
        {"--report"},
        {"--report", data.path()},
    };
    for (const QStringList& options : cases) {
        const Result result = RunMonitor(kRange + QStringList{"--data-dir", data.path()} + options);
        EXPECT_EQ(result.exitCode, 2) << options.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains(options.contains("--tolerance") ? "--tolerance" : "--report"))
            << result.err.toStdString();
        EXPECT_FALSE(data.exists("survey.pdf"));
        EXPECT_FALSE(data.exists("survey.json"));
    }
}

TEST(SurveyReportCommand, SaysSoWhenTheReportCannotBeWritten)
{
    TempFolder data;
    WriteRecords(data);
    const Result result =
        RunMonitor(kRange + QStringList{"--data-dir", data.path(), "--report", data.file("no such folder/survey.pdf")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("cannot write")) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
}

}  // namespace
