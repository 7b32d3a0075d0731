#include "survey/ComfortStream.h"
#include "survey/HistoryCache.h"
#include "survey/HistoryLoader.h"
#include "survey/HistoryView.h"
#include "tests/support/RecordedDays.h"
#include "tests/support/TempFolder.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <semaphore>

using namespace qemra;

namespace {

const std::vector<HistorySeries> kSeries{RecordQuantity::Pmv, RecordQuantity::AirTemp, RecordQuantity::Wind};
constexpr int kRunSeconds = 2 * 3600;

double ChartSeconds(int day, int hour, int minute, int second)
{
    return QDate(1899, 12, 30).daysTo(QDate(2026, 12, day)) * 86400.0 + hour * 3600.0 + minute * 60.0 + second;
}

// The values the recorded days hold at second `s` of a run, in kSeries order.
std::vector<float> Expected(int s)
{
    TMesData m;
    history_test::SetValues(m, s);
    return {m.M53, m.M11, m.M01};
}

// Two days with a run of two hours from 08:00, and a twelve-hour day for the reads that take long.
class HistoryIndexTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = std::make_unique<TempFolder>();
        for (int day = 1; day <= 2; ++day)
            history_test::RecordSeconds(folder_->path(), QStringLiteral("COM7"),
                                        EncodeDateTime(2026, 12, day, 8, 0, 0, 100), kRunSeconds);
        history_test::RecordSeconds(folder_->path(), QStringLiteral("COM7"), EncodeDateTime(2026, 12, 4, 6, 0, 0, 100),
                                    12 * 3600);
    }
    static void TearDownTestSuite() { folder_.reset(); }

    static HistoryLoad Load(QDate from, QDate to, const HistoryCache* cache = nullptr)
    {
        HistoryLoader loader(RecordFolder(folder_->path()), QStringLiteral("COM7"), from, to, kSeries, cache,
                             QDate(2027, 1, 1));
        std::optional<HistoryLoad> load = loader.Run(2);
        EXPECT_TRUE(load.has_value());
        return load ? std::move(*load) : HistoryLoad{HistoryIndex(kSeries), {}, 0, 0, {}, {}, {}};
    }

    static std::unique_ptr<TempFolder> folder_;
};

std::unique_ptr<TempFolder> HistoryIndexTest::folder_;

}  // namespace

TEST_F(HistoryIndexTest, CursorReadsTheExactRowValuesWhereNoRowsAreKept)
{
    const HistoryLoad load = Load(QDate(2026, 12, 1), QDate(2026, 12, 2));
    ASSERT_EQ(load.rows.Size(), 2u * kRunSeconds);
    EXPECT_LT(load.rows.MemoryBytes(), 2u * kRunSeconds * 4) << "the blocks, not the rows";
    HistoryView view(load.rows, {});
    // Block edges, a row within a block, the last row of a day; a time between two seconds is
    // read at the nearer one.
    for (const int s : {0, 63, 64, 65, 2417, kRunSeconds - 1}) {
        const double at = ChartSeconds(2, 8, 0, 0) + s;
        const std::optional<HistoryRowValues> row = view.RowAt(at + 0.3, 1.0);
        ASSERT_TRUE(row.has_value()) << s;
        EXPECT_EQ(row->seconds, static_cast<std::int64_t>(at)) << s;
        EXPECT_EQ(row->values, Expected(s)) << s;
    }
    EXPECT_EQ(view.RowsKept(), 0u) << "read from the file, nothing kept";
    EXPECT_FALSE(view.RowAt(ChartSeconds(1, 20, 0, 0), 60.0).has_value()) << "the night between the runs";
    EXPECT_FALSE(view.RowAt(ChartSeconds(2, 10, 0, 30), 5.0).has_value()) << "past the last row, out of reach";
    EXPECT_TRUE(view.RowAt(ChartSeconds(2, 10, 0, 3), 5.0).has_value()) << "past the last row, within reach";
}

TEST_F(HistoryIndexTest, ViewFinerThanABlockDrawsEveryRowAndACoarseOneTheExtremes)
{
    const HistoryLoad load = Load(QDate(2026, 12, 1), QDate(2026, 12, 2));
    HistoryView view(load.rows, {});
    const double from = ChartSeconds(1, 8, 30, 0);
    const HistoryView::Points fine = view.Reduce(from, from + 200, 800);
    ASSERT_TRUE(fine.fromRows);
    EXPECT_FALSE(fine.waiting) << "a short stretch is read at once";
    for (std::size_t s = 0; s < kSeries.size(); ++s) {
        const QList<QPointF>& points = fine.series[s];
        // Every second from `from` to `from + 200`, each at its own time with its own value.
        int matched = 0;
        for (const QPointF& p : points) {
            const double offset = p.x() - from;
            if (offset < 0 || offset > 200)
                continue;
            const int second = 1800 + static_cast<int>(offset);
            EXPECT_EQ(p.x(), from + offset);
            EXPECT_EQ(static_cast<float>(p.y()), Expected(second)[s]) << second;
            ++matched;
        }
        EXPECT_EQ(matched, 201) << s;
    }

    // The whole two days on 50 columns: drawn from the blocks, the night a break, the extremes kept.
    const HistoryView::Points coarse = view.Reduce(ChartSeconds(1, 8, 0, 0), ChartSeconds(2, 10, 0, 0), 50);
    EXPECT_FALSE(coarse.fromRows);
    int breaks = 0;
    double low = INFINITY;
    double high = -INFINITY;
    for (const QPointF& p : coarse.series[0]) {
        breaks += std::isfinite(p.y()) ? 0 : 1;
        if (std::isfinite(p.y())) {
            low = std::min(low, p.y());
            high = std::max(high, p.y());
        }
    }
    EXPECT_EQ(breaks, 1);
    EXPECT_EQ(static_cast<float>(low), Expected(0)[0]);
    EXPECT_EQ(static_cast<float>(high), Expected(20)[0]);
}

TEST_F(HistoryIndexTest, LongReadRunsInTheBackgroundWhileTheBlocksStandIn)
{
    const HistoryLoad load = Load(QDate(2026, 12, 4), QDate(2026, 12, 4));
    std::binary_semaphore ready(0);
    HistoryView view(load.rows, [&] { ready.release(); });
    const double from = ChartSeconds(4, 7, 0, 0);
    const HistoryView::Points first = view.Reduce(from, from + 36000, 1000);
    EXPECT_TRUE(first.waiting);
    EXPECT_FALSE(first.fromRows);
    EXPECT_FALSE(first.series[0].isEmpty()) << "the blocks are drawn meanwhile";
    ASSERT_TRUE(ready.try_acquire_for(std::chrono::seconds(30)));
    const HistoryView::Points then = view.Reduce(from, from + 36000, 1000);
    EXPECT_TRUE(then.fromRows);
    EXPECT_FALSE(then.waiting);
    EXPECT_EQ(view.RowsKept(), 12u * 3600) << "the view and half a view either side: the whole day";
}

namespace {

// A change to a cache file or its record file, and whether the cache may still serve the day.
struct CacheCase {
    const char* name;
    std::function<void(const QString& record, const QString& cached)> change;
    bool served;
};

void FlipByte(const QString& path, qint64 at)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(at);
    char byte = 0;
    file.getChar(&byte);
    file.seek(at);
    file.putChar(static_cast<char>(byte ^ 0x10));
}

}  // namespace

TEST_F(HistoryIndexTest, ReductionFromTheCacheEqualsTheOneFromTheFile)
{
    const CacheCase cases[] = {
        {"fresh", [](const QString&, const QString&) {}, true},
        {"stale size",
         [](const QString& record, const QString&) {
             QFile file(record);
             ASSERT_TRUE(file.open(QIODevice::Append));
             file.write("2026/12/01 23:00:00,0.1,20,50,20,1.2,0.5,0.1,20,20,9.5,10,15,\r\n");
         },
         false},
        {"stale time",
         [](const QString& record, const QString&) {
             QFile file(record);
             ASSERT_TRUE(file.open(QIODevice::ReadWrite));
             ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFile::FileModificationTime));
         },
         false},
        {"cut cache file", [](const QString&, const QString& cached) { ASSERT_TRUE(QFile::resize(cached, 100)); },
         false},
        {"flipped byte", [](const QString&, const QString& cached) { FlipByte(cached, 200); }, false},
        {"wrong version",
         [](const QString&, const QString& cached) {
             // A sound file of another version: its checksum is made anew.
             QFile file(cached);
             ASSERT_TRUE(file.open(QIODevice::ReadOnly));
             QByteArray bytes = file.readAll().chopped(32);
             file.close();
             bytes[4] = static_cast<char>(bytes[4] + 1);
             bytes += QCryptographicHash::hash(bytes, QCryptographicHash::Blake2b_256);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
             file.write(bytes);
         },
         false},
    };
    for (const CacheCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder data;
        TempFolder cacheFolder;
        history_test::RecordSeconds(data.path(), QStringLiteral("COM7"), EncodeDateTime(2026, 12, 1, 8, 0, 0, 100),
                                    600);
        const QString record = RecordFolder(data.path()).SecondRecordFile(QStringLiteral("COM7"), QDate(2026, 12, 1));
        const HistoryCache cache(cacheFolder.path());
        const QDate yesterday(2026, 12, 2);
        const auto load = [&] {
            HistoryLoader loader(RecordFolder(data.path()), QStringLiteral("COM7"), QDate(2026, 12, 1),
                                 QDate(2026, 12, 1), kSeries, &cache, yesterday);
            return loader.Run(1);
        };
        ASSERT_EQ(load()->daysFromCache, 0);
        ASSERT_TRUE(QFile::exists(cache.FileFor(record, false)));

        c.change(record, cache.FileFor(record, false));
        QString error;
        const std::optional<HistoryDayReduction> fromFile = ReduceRecordFile(record, false, kSeries, &error);
        ASSERT_TRUE(fromFile.has_value());
        EXPECT_EQ(cache.Load(record, false, kSeries).has_value(), c.served);
        const std::optional<HistoryLoad> again = load();
        ASSERT_TRUE(again.has_value());
        EXPECT_EQ(again->daysFromCache, c.served ? 1 : 0);
        EXPECT_EQ(again->rows.Size(), static_cast<std::size_t>(fromFile->figures.seconds));
        EXPECT_EQ(again->summary, fromFile->figures);
        // Whatever was there, the cache now holds the file's own reduction.
        EXPECT_EQ(cache.Load(record, false, kSeries), fromFile);
    }
}

TEST_F(HistoryIndexTest, CacheThatCannotBeWrittenCostsOnlySpeedAndTodayIsNeverCached)
{
    const QString record = RecordFolder(folder_->path()).SecondRecordFile(QStringLiteral("COM7"), QDate(2026, 12, 1));
    TempFolder scratch;
    scratch.write(QStringLiteral("not-a-folder"), "x");
    const HistoryCache unwritable(scratch.file(QStringLiteral("not-a-folder")));
    const HistoryLoad plain = Load(QDate(2026, 12, 1), QDate(2026, 12, 2));
    const HistoryLoad withCache = Load(QDate(2026, 12, 1), QDate(2026, 12, 2), &unwritable);
    EXPECT_EQ(withCache.rows.Size(), plain.rows.Size());
    EXPECT_EQ(withCache.summary, plain.summary);
    EXPECT_TRUE(withCache.errors.isEmpty());
    EXPECT_FALSE(unwritable.Load(record, false, kSeries).has_value());

    const HistoryCache cache(scratch.file(QStringLiteral("cache")));
    for (int run = 0; run < 2; ++run) {
        HistoryLoader loader(RecordFolder(folder_->path()), QStringLiteral("COM7"), QDate(2026, 12, 1),
                             QDate(2026, 12, 1), kSeries, &cache, QDate(2026, 12, 1));
        EXPECT_EQ(loader.Run(1)->daysFromCache, 0) << "today's file is still being written";
    }
    EXPECT_FALSE(QFile::exists(cache.FileFor(record, false)));
}

// The operative temperature and the draught rate of every row are the survey summary's own, the
// draught's first three minutes of a day included: they take in the day before.
TEST(HistoryDerivedSeries, AreTheSummarysFiguresOfEachRowAcrossMidnight)
{
    TempFolder folder;
    const QString port = QStringLiteral("COM7");
    history_test::RecordSeconds(folder.path(), port, EncodeDateTime(2026, 12, 10, 23, 50, 0, 100), 1200);
    const RecordFolder records(folder.path());

    // What the summary works out, row by row over both files.
    std::map<std::int64_t, std::pair<float, float>> expected;  // operative temperature, draught rate
    ComfortStream stream;
    for (const QDate day : {QDate(2026, 12, 10), QDate(2026, 12, 11)}) {
        SecondRecordReader reader;
        ASSERT_TRUE(reader.Open(records.SecondRecordFile(port, day)));
        SecondRecordRow row;
        while (reader.Next(row)) {
            const std::int64_t second = LocalSeconds(row.time);
            const ComfortSecond figures = stream.Add(second, row.values);
            expected[second] = {static_cast<float>(figures.operativeTemp),
                                figures.draught ? static_cast<float>(figures.draught->draughtRate) : NAN};
        }
    }
    ASSERT_EQ(expected.size(), 1200u);

    const std::vector<HistorySeries> series{DerivedFigure::OperativeTemp, DerivedFigure::DraughtRate};
    HistoryLoader loader(records, port, QDate(2026, 12, 10), QDate(2026, 12, 11), series, nullptr, QDate(2027, 1, 1));
    const std::optional<HistoryLoad> load = loader.Run(2);
    ASSERT_TRUE(load.has_value());
    HistoryView view(load->rows, {});
    const auto midnight = static_cast<double>(LocalSeconds(RecordTime{2026, 12, 11, 0, 0, 0}));
    int undefined = 0;
    for (const auto& [second, figures] : expected) {
        const std::optional<HistoryRowValues> row = view.RowAt(static_cast<double>(second), 0.5);
        ASSERT_TRUE(row.has_value()) << second;
        EXPECT_EQ(row->values[0], figures.first) << second;
        if (std::isnan(figures.second))
            ++undefined;
        else
            EXPECT_EQ(row->values[1], figures.second) << second - midnight;
        EXPECT_EQ(std::isnan(row->values[1]), std::isnan(figures.second)) << second - midnight;
    }
    EXPECT_EQ(undefined, 161) << "the window holds 162 rows from the 162nd row of the run on";

    // The blocks of the first three minutes after midnight draw the extremes of those rows.
    const double to = midnight + 179;
    const std::vector<QList<QPointF>> drawn = load->rows.Reduce(midnight, to, 1);
    float low = INFINITY;
    float high = -INFINITY;
    for (auto at = static_cast<std::int64_t>(midnight); at < static_cast<std::int64_t>(midnight) + 3 * 64; ++at) {
        low = std::min(low, expected[at].second);
        high = std::max(high, expected[at].second);
    }
    QList<double> inRange;
    for (const QPointF& p : drawn[1])
        if (p.x() >= midnight && p.x() <= to)
            inRange.append(p.y());
    ASSERT_EQ(inRange.size(), 2);
    EXPECT_EQ(*std::ranges::min_element(inRange), low);
    EXPECT_EQ(*std::ranges::max_element(inRange), high);
}
