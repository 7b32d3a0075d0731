#include "survey/HistoryLoader.h"

#include <QFileInfo>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <type_traits>

namespace qemra {

namespace {

// Rows between looks at the cancel flag and updates of the bytes read.
constexpr int kRowsPerStep = 4096;
// Fewer bytes than any row of a record file takes: room reserved by the file sizes is never too
// small, and what is left over is only address space, never touched.
constexpr std::int64_t kFewestBytesPerRow = 64;

}  // namespace

HistoryLoader::HistoryLoader(const RecordFolder& folder, const QString& port, QDate from, QDate to,
                             std::vector<RecordQuantity> quantities)
    : quantities_(std::move(quantities))
{
    for (QDate date = from; date.isValid() && date <= to; date = date.addDays(1)) {
        Day day;
        day.date = date;
        day.path = folder.SecondRecordFile(port, date);
        if (day.path.isEmpty()) {
            day.path = folder.MinuteRecordFile(date);
            day.minutes = !day.path.isEmpty();
        }
        if (!day.path.isEmpty())
            day.bytes = QFileInfo(day.path).size();
        totalBytes_ += day.bytes;
        days_.push_back(day);
    }
}

template <class Reader, class Row>
void HistoryLoader::ReadRows(Reader& reader, const Day& day, DayLoad& load)
{
    if (!reader.Open(day.path, &load.error))
        return;
    load.read = true;
    // A minute row stands for the sixty seconds it averages.
    const std::int64_t weight = day.minutes ? 60 : 1;
    const std::int64_t gap = day.minutes ? HistoryRows::kMinuteGap : HistoryRows::kSecondGap;
    std::int64_t reported = 0;
    Row row;
    for (int count = 1; reader.Next(row); ++count) {
        const RecordValues* values = nullptr;
        if constexpr (std::is_same_v<Row, MinuteRecordRow>)
            values = &row.average;
        else
            values = &row.values;
        load.summary.Add(row.time, *values, weight);
        if (!load.rows.Append(LocalSeconds(row.time), *values, gap))
            load.summary.AddSkippedRows(1);
        if (count % kRowsPerStep == 0) {
            bytesRead_.fetch_add(reader.BytesRead() - reported, std::memory_order_relaxed);
            reported = reader.BytesRead();
            if (Cancelled())
                return;
        }
    }
    bytesRead_.fetch_add(reader.BytesRead() - reported, std::memory_order_relaxed);
    load.summary.AddSkippedRows(reader.SkippedRows());
    if (reader.ReadFailed())
        load.error = QStringLiteral("reading stopped early");
}

HistoryLoader::DayLoad HistoryLoader::LoadDay(const Day& day)
{
    DayLoad load{HistoryRows(quantities_), {}, false, {}};
    if (day.path.isEmpty())
        return load;
    load.rows.Reserve(static_cast<std::size_t>(day.bytes / kFewestBytesPerRow));
    if (day.minutes) {
        MinuteRecordReader reader;
        ReadRows<MinuteRecordReader, MinuteRecordRow>(reader, day, load);
    } else {
        SecondRecordReader reader;
        ReadRows<SecondRecordReader, SecondRecordRow>(reader, day, load);
    }
    return load;
}

std::optional<HistoryLoad> HistoryLoader::Run(int workers)
{
    HistoryLoad result{HistoryRows(quantities_), {}, 0, {}, {}, {}};
    result.rows.Reserve(static_cast<std::size_t>(totalBytes_ / kFewestBytesPerRow));
    std::vector<std::optional<DayLoad>> done(days_.size());
    std::mutex mutex;
    std::condition_variable dayDone;
    std::size_t nextDay = 0;

    // Each worker takes the next day nobody has taken; the joining below waits for them in order.
    const auto work = [&] {
        for (;;) {
            std::size_t index = 0;
            {
                const std::lock_guard lock(mutex);
                if (nextDay == days_.size() || Cancelled())
                    break;
                index = nextDay++;
            }
            DayLoad load = LoadDay(days_[index]);
            {
                const std::lock_guard lock(mutex);
                done[index] = std::move(load);
            }
            dayDone.notify_all();
        }
        dayDone.notify_all();
    };
    // The calling thread only joins, so a day's rows are let go as soon as the next one is due.
    std::vector<std::thread> threads;
    for (int i = 0; i < std::max(1, workers); ++i)
        threads.emplace_back(work);

    for (std::size_t index = 0; index < days_.size() && !Cancelled(); ++index) {
        std::optional<DayLoad> load;
        {
            std::unique_lock lock(mutex);
            dayDone.wait(lock, [&] { return done[index].has_value() || (Cancelled() && nextDay <= index); });
            if (!done[index])
                break;
            load = std::move(done[index]);
            done[index].reset();
        }
        const Day& day = days_[index];
        if (!load->error.isEmpty())
            result.errors.append(day.path + QStringLiteral(": ") + load->error);
        if (!load->read) {
            result.missingDays.append(day.date);
            continue;
        }
        ++result.filesRead;
        if (day.minutes)
            result.minuteDays.append(day.date);
        result.rows.AppendRows(load->rows);
        result.summary.Append(load->summary);
    }
    for (std::thread& thread : threads)
        thread.join();
    if (Cancelled())
        return std::nullopt;
    result.rows.Finish();
    return result;
}

}  // namespace qemra
