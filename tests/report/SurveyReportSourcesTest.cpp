#include "report/SurveyReportSources.h"

#include "common/Cp932File.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace qemra;

namespace {

// Five minutes of second rows of port COM7 from 09:00 on Friday 2026-12-11, with a steady draught,
// and the day before read from its minute record file only.
void WriteRecords(const TempFolder& data)
{
    QStringList lines = {
        QStringLiteral("COM7,風速,気温,湿度,輻射熱,METs,clo,PMV,WBGTo,WBGTi,絶対湿度,露点温度,湿球温度,"),
        QStringLiteral("時刻,m/s.,℃,％,℃,,,,℃,℃,g/kg,℃,℃,")};
    const QTime start(9, 0);
    for (int s = 0; s < 300; ++s)
        lines << QStringLiteral("2026/12/11 %1,%2,22.00,45.000,23.00,1.20,0.70,-0.20,20.00,21.00,7.50,9.60,14.20,")
                     .arg(start.addSecs(s).toString(QStringLiteral("HH:mm:ss")))
                     .arg(s % 2 == 0 ? QStringLiteral("0.250") : QStringLiteral("0.350"));
    data.write(QStringLiteral("Record/RT_COM7_20261211.csv"), Cp932Lines(lines));
}

double Sum(const std::vector<double>& values) { return std::accumulate(values.begin(), values.end(), 0.0); }

TEST(SurveyReportSourcesTest, FillsTheDraughtRateFromTheAnalysisOfSecondRecords)
{
    TempFolder data;
    WriteRecords(data);
    const ComfortOptions everySecond;
    const SurveyReportSources sources = ReadSurveyReportSources(RecordFolder(data.path()), QStringLiteral("COM7"),
                                                                QDate(2026, 12, 10), QDate(2026, 12, 11), everySecond);

    EXPECT_DOUBLE_EQ(sources.distributions.Seconds(), 300);
    // The draught rate is defined once 162 of the trailing 180 seconds are there.
    EXPECT_DOUBLE_EQ(Sum(sources.distributions.DraughtHistogram().seconds), 300 - 161);
    EXPECT_TRUE(sources.distributions.AtHour(ReportDistributions::Quantity::DraughtRate, 9).mean.has_value());
    ASSERT_EQ(sources.inputs.files.size(), 1u);
    EXPECT_EQ(sources.inputs.files[0].path, data.file(QStringLiteral("Record/RT_COM7_20261211.csv")));
    EXPECT_EQ(sources.inputs.files[0].bytes, data.read(QStringLiteral("Record/RT_COM7_20261211.csv")).size());
    EXPECT_EQ(sources.inputs.missingDays, QList<QDate>{QDate(2026, 12, 10)});
}

TEST(SurveyReportSourcesTest, CountsOnlyTheSecondsTheOptionsOccupy)
{
    TempFolder data;
    WriteRecords(data);
    ComfortOptions options;
    options.occupied.SetSpan(9 * 60 + 3, 9 * 60 + 5);
    const SurveyReportSources sources = ReadSurveyReportSources(RecordFolder(data.path()), QStringLiteral("COM7"),
                                                                QDate(2026, 12, 11), QDate(2026, 12, 11), options);
    EXPECT_DOUBLE_EQ(sources.distributions.Seconds(), 120);
    // The trailing window takes the seconds before the span too, so every counted second has a rate.
    EXPECT_DOUBLE_EQ(Sum(sources.distributions.DraughtHistogram().seconds), 120);
}

}  // namespace
