#pragma once

#include "survey/HistoryRows.h"
#include "survey/RecordFolder.h"
#include "survey/SurveySummary.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

namespace qemra {

// What a load of a stretch of days gives: the rows of the chosen quantities and the summary of
// all twelve, with the days that came from minute record files or had none.
struct HistoryLoad {
    HistoryRows rows;
    SurveySummary summary;
    int filesRead = 0;
    QList<QDate> minuteDays;   // no second record file of the port: the minute rows stand in
    QList<QDate> missingDays;  // neither file
    QStringList errors;        // files that could not be read, or not to their end
};

// Reads the days from `from` to `to` as the survey summary counts them: each day's second record
// file of the port, or else its minute record file. Run() may be called on any thread, once;
// BytesRead() and Cancel() from any other meanwhile.
class HistoryLoader {
public:
    HistoryLoader(const RecordFolder& folder, const QString& port, QDate from, QDate to,
                  std::vector<RecordQuantity> quantities);

    // The bytes of all files to read, known before reading.
    std::int64_t TotalBytes() const { return totalBytes_; }
    std::int64_t BytesRead() const { return bytesRead_.load(std::memory_order_relaxed); }
    void Cancel() { cancelled_.store(true, std::memory_order_relaxed); }
    bool Cancelled() const { return cancelled_.load(std::memory_order_relaxed); }

    // Reads the days on `workers` threads of its own, each taking the next unread day, and joins
    // them on the calling thread in date order as they are done. Empty when cancelled.
    std::optional<HistoryLoad> Run(int workers = 1);

private:
    struct Day {
        QDate date;
        QString path;  // empty: no file
        bool minutes = false;
        std::int64_t bytes = 0;
    };
    struct DayLoad {
        HistoryRows rows;
        SurveySummary summary;
        bool read = false;
        QString error;
    };

    DayLoad LoadDay(const Day& day);
    template <class Reader, class Row>
    void ReadRows(Reader& reader, const Day& day, DayLoad& load);

    std::vector<Day> days_;
    std::vector<RecordQuantity> quantities_;
    std::int64_t totalBytes_ = 0;
    std::atomic<std::int64_t> bytesRead_{0};
    std::atomic<bool> cancelled_{false};
};

}  // namespace qemra
