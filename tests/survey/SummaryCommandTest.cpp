// The summary as a user runs it: the real program, with no display and no platform plugin named.
#include "common/Cp932File.h"
#include "tests/support/TempFolder.h"

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

Result RunMonitor(const QStringList& args)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QEMRA_MONITOR_PATH), args);
    Result result;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

TEST(SummaryCommand, RunsWithoutDisplayAndPrintsJson)
{
    TempFolder data;
    data.write(QStringLiteral("Record/RT_COM7_20261211.csv"),
               qemra::Cp932Lines(
                   {QStringLiteral("COM7,風速,気温,湿度,輻射熱,METs,clo,PMV,WBGTo,WBGTi,絶対湿度,露点温度,湿球温度,"),
                    QStringLiteral("時刻,m/s.,℃,％,℃,,,,℃,℃,g/kg,℃,℃,"),
                    QStringLiteral("2026/12/11 09:41:00,0.512,23.45,48.123,24.10,1.20,0.70,-0.31,21.40,22.95,"
                                   "9.87,12.34,15.55,"),
                    QStringLiteral("2026/12/11 09:41:01,0.500,23.50,48.000,24.10,1.20,0.70,0.20,21.40,25.00,"
                                   "9.87,12.34,15.55,")}));
    const Result result =
        RunMonitor({QStringLiteral("--summary"), QStringLiteral("2026/12/10"), QStringLiteral("2026/12/11"),
                    QStringLiteral("--data-dir"), data.path(), QStringLiteral("--json")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(result.out).object();
    EXPECT_EQ(json[QStringLiteral("rows")].toInteger(), 2) << result.out.toStdString();
    EXPECT_EQ(json[QStringLiteral("pmv_category")].toObject()[QStringLiteral("B")].toDouble(), 1.0);
    EXPECT_EQ(json[QStringLiteral("wbgt_level")].toObject()[QStringLiteral("caution")].toDouble(), 0.5);
    EXPECT_TRUE(result.err.contains("2026/12/10")) << "the missing day is named";
}

TEST(SummaryCommand, EndsWithTwoAndAUsageLineOnBadArguments)
{
    const Result result = RunMonitor({QStringLiteral("--summary"), QStringLiteral("yesterday")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.contains("usage: qemra-monitor --summary")) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
}

}  // namespace
