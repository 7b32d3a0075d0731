#include "report/SurveyReportSources.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace qemra;

namespace {

QJsonObject Selection(const char* json) { return QJsonDocument::fromJson(QByteArray(json)).object(); }

TEST(SurveyReportSourcesTest, CountsTheOccupiedSecondsTheSummarySelected)
{
    struct Case {
        const char* selection;
        RecordTime time;  // 2026-12-07 is a Monday, 2026-12-12 a Saturday
        bool counted;
    };
    const Case cases[] = {
        {R"({"hours": null, "days": null})", {2026, 12, 12, 3, 0, 0}, true},
        {R"({"hours": "08:00-18:00", "days": null})", {2026, 12, 7, 8, 0, 0}, true},
        {R"({"hours": "08:00-18:00", "days": null})", {2026, 12, 7, 17, 59, 59}, true},
        {R"({"hours": "08:00-18:00", "days": null})", {2026, 12, 7, 18, 0, 0}, false},
        {R"({"hours": "08:00-18:00", "days": null})", {2026, 12, 7, 7, 59, 59}, false},
        {R"({"hours": "22:00-06:00", "days": null})", {2026, 12, 7, 23, 30, 0}, true},
        {R"({"hours": "22:00-06:00", "days": null})", {2026, 12, 8, 5, 59, 59}, true},
        {R"({"hours": "22:00-06:00", "days": null})", {2026, 12, 8, 6, 0, 0}, false},
        {R"({"hours": null, "days": ["mon", "tue", "wed", "thu", "fri"]})", {2026, 12, 12, 10, 0, 0}, false},
        {R"({"hours": null, "days": ["mon", "tue", "wed", "thu", "fri"]})", {2026, 12, 7, 10, 0, 0}, true},
        {R"({"hours": "08:00-18:00", "days": ["sat"]})", {2026, 12, 12, 9, 0, 0}, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OccupiedSeconds(Selection(c.selection)).Counts(c.time), c.counted)
            << c.selection << " at " << c.time.day << " " << c.time.hour << ":" << c.time.minute;
}

TEST(SurveyReportSourcesTest, WeighsAirAndRadiantTemperatureByTheAirSpeed)
{
    EXPECT_DOUBLE_EQ(OperativeTemperature(20, 30, 0.19), 25.0);
    EXPECT_DOUBLE_EQ(OperativeTemperature(20, 30, 0.2), 24.0);
    EXPECT_DOUBLE_EQ(OperativeTemperature(20, 30, 0.6), 23.0);
}

}  // namespace
