#pragma once

#include "survey/HistoryCache.h"
#include "survey/HistoryIndex.h"
#include "survey/RecordFolder.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

namespace qemra {

// What a load of a stretch of days gives: the reduction of the chosen series and the figures of
// all twelve quantities, with the days that came from minute record files or had none.
struct HistoryLoad {
    HistoryIndex rows;
    HistoryFigures summary;
    int filesRead = 0;
    int daysFromCache = 0;
    QList<QDate> minuteDays;   // no second record file of the port: the minute rows stand in
    QList<QDate> missingDays;  // neither file
    QStringList errors;        // files that could not be read, or not to their end
};

// Reads the days from `from` to `to` as the survey summary counts them: each day's second record
// file of the port, or else its minute record file; a day before `today` comes from the cache when
// it holds a sound reduction of the file as it is, and goes into it otherwise. Run() may be called
// on any thread, once; BytesRead() and Cancel() from any other meanwhile.
class HistoryLoader {
public:
    HistoryLoader(const RecordFolder& folder, const QString& port, QDate from, QDate to,
                  std::vector<HistorySeries> series, const HistoryCache* cache = nullptr,
                  QDate today = QDate::currentDate());

    // The bytes of all files to read, known before reading.
    std::int64_t TotalBytes() const { return totalBytes_; }
    std::int64_t BytesRead() const { return bytesRead_.load(std::memory_order_relaxed); }
    void Cancel() { cancelled_.store(true, std::memory_order_relaxed); }
    bool Cancelled() const { return cancelled_.load(std::memory_order_relaxed); }

    // Reduces the days on `workers` threads of its own, each taking the next day nobody has taken,
    // and joins them on the calling thread in date order as they are done. Empty when cancelled.
    std::optional<HistoryLoad> Run(int workers = 1);

private:
    struct Day {
        QDate date;
        QString path;  // empty: no file
        bool minutes = false;
        std::int64_t bytes = 0;
    };
    struct DayLoad {
        std::optional<HistoryDayReduction> reduction;  // empty: not read
        bool fromCache = false;
        QString error;
    };

    DayLoad LoadDay(const Day& day);

    std::vector<Day> days_;
    std::vector<HistorySeries> series_;
    const HistoryCache* cache_;
    QDate today_;
    std::int64_t totalBytes_ = 0;
    std::atomic<std::int64_t> bytesRead_{0};
    std::atomic<bool> cancelled_{false};
};

}  // namespace qemra
