#include "survey/HistoryLoader.h"

#include <QFileInfo>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace qemra {

namespace {

// Fewer bytes than any row of a record file takes, times the rows of a block: room reserved by the
// file sizes is rarely too small, and what is left over is only address space, never touched.
constexpr std::int64_t kFewestBytesPerBlock = 64 * kHistoryBlockRows;

}  // namespace

HistoryLoader::HistoryLoader(const RecordFolder& folder, const QString& port, QDate from, QDate to,
                             std::vector<HistorySeries> series, const HistoryCache* cache, QDate today)
    : series_(std::move(series)), cache_(cache), today_(today)
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

HistoryLoader::DayLoad HistoryLoader::LoadDay(const Day& day)
{
    DayLoad load;
    if (day.path.isEmpty())
        return load;
    // Today's file is still being written: its reduction would be stale at once.
    const bool cacheable = cache_ != nullptr && day.date < today_;
    if (cacheable) {
        load.reduction = cache_->Load(day.path, day.minutes, series_);
        if (load.reduction) {
            load.fromCache = true;
            bytesRead_.fetch_add(day.bytes, std::memory_order_relaxed);
            return load;
        }
    }
    const std::optional<HistoryCache::Stamp> before = HistoryCache::StampOf(day.path);
    load.reduction = ReduceRecordFile(day.path, day.minutes, series_, &load.error, &cancelled_, &bytesRead_);
    if (cacheable && load.reduction && load.error.isEmpty() && before && !Cancelled())
        cache_->Store(day.path, day.minutes, series_, *before, *load.reduction);
    return load;
}

std::optional<HistoryLoad> HistoryLoader::Run(int workers)
{
    HistoryLoad result{HistoryIndex(series_), {}, 0, 0, {}, {}, {}};
    result.rows.Reserve(static_cast<std::size_t>(totalBytes_ / kFewestBytesPerBlock + 2 * days_.size()));
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
    // The calling thread only joins, so a day's reduction is let go as soon as it is joined.
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
        if (!load->reduction) {
            result.missingDays.append(day.date);
            continue;
        }
        ++result.filesRead;
        result.daysFromCache += load->fromCache ? 1 : 0;
        if (day.minutes)
            result.minuteDays.append(day.date);
        result.rows.Append(day.path, day.minutes, *load->reduction);
        result.summary.Append(load->reduction->figures);
    }
    for (std::thread& thread : threads)
        thread.join();
    if (Cancelled())
        return std::nullopt;
    result.rows.Finish();
    return result;
}

}  // namespace qemra
