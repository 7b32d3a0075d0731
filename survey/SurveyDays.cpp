#include "survey/SurveyDays.h"

#include "survey/HistoryRows.h"

#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <bitset>
#include <thread>
#include <vector>

namespace qemra {

namespace {

constexpr int kSecondsOfDay = 86400;
// The rows of the day before that a trailing window of this day can reach: after 23:00:00.
constexpr int kLeadInFrom = kSecondsOfDay - static_cast<int>(ComfortStream::kWbgtSpan) + 1;
// The bytes from a file's end that hold its last hour, at most; more are read when not.
constexpr std::int64_t kLeadInBytes = std::int64_t{3600} * 128;

bool IsOf(const RecordTime& time, QDate day)
{
    return time.year == day.year() && time.month == day.month() && time.day == day.day();
}

int SecondOfDay(const RecordTime& time) { return time.hour * 3600 + time.minute * 60 + time.second; }

std::int64_t StartOf(QDate day) { return LocalSeconds({day.year(), day.month(), day.day(), 0, 0, 0}); }

QString ReadError(const QString& path, const QString& reason)
{
    return QStringLiteral("cannot read ") + path + QStringLiteral(": ") + reason;
}

}  // namespace

void SurveyFigures::Append(const SurveyFigures& later)
{
    summary.Append(later.summary);
    comfort.Append(later.comfort);
    filesRead += later.filesRead;
    rowsRead += later.rowsRead;
    minuteDays += later.minuteDays;
    missingDays += later.missingDays;
    errors += later.errors;
}

SurveyDays::SurveyDays(const RecordFolder& folder, const QString& port, const ComfortOptions& options)
    : folder_(folder), port_(port), options_(options)
{
}

std::optional<double> SurveyDays::ComfortTemperatureOf(QDate day) const
{
    if (!options_.outdoor)
        return std::nullopt;
    const std::optional<double> runningMean = options_.outdoor->RunningMean(day);
    return runningMean ? AdaptiveComfortTemperature(*runningMean) : std::nullopt;
}

void SurveyDays::FeedLeadIn(QDate day, ComfortStream& stream) const
{
    const QDate before = day.addDays(-1);
    const QString path = folder_.SecondRecordFile(port_, before);
    if (path.isEmpty())
        return;
    const std::int64_t size = QFileInfo(path).size();
    const std::int64_t start = StartOf(before);
    SecondRecordReader reader(std::size_t{1} << 16);
    SecondRecordRow row;
    for (std::int64_t back = kLeadInBytes;; back *= 2) {
        const std::int64_t offset = std::max<std::int64_t>(0, size - back);
        if (!reader.Open(path, nullptr, offset))
            return;
        bool first = true;
        bool tooLate = false;
        while (reader.Next(row)) {
            if (!IsOf(row.time, before))
                continue;
            const int second = SecondOfDay(row.time);
            if (first) {
                first = false;
                // The block may have begun inside the last hour: read from further back.
                if (offset > 0 && second > kLeadInFrom) {
                    tooLate = true;
                    break;
                }
            }
            if (second >= kLeadInFrom)
                stream.Feed(start + second, row.values);
        }
        if (!tooLate)
            return;
    }
}

bool SurveyDays::ReadSecondDay(QDate day, const QString& path, SurveyFigures& figures,
                               const CountedSecondObserver* observer) const
{
    SecondRecordReader reader;
    QString error;
    if (!reader.Open(path, &error)) {
        figures.errors.append(ReadError(path, error));
        return false;
    }
    ComfortStream stream;
    FeedLeadIn(day, stream);
    const std::bitset<1440> occupied = options_.occupied.MinutesOf(day);
    const std::optional<double> comfortTemp = ComfortTemperatureOf(day);
    const std::int64_t start = StartOf(day);
    std::bitset<kSecondsOfDay> seen;
    std::int64_t otherDays = 0;
    std::int64_t duplicates = 0;
    SecondRecordRow row;
    while (reader.Next(row)) {
        if (!IsOf(row.time, day)) {
            ++otherDays;
            continue;
        }
        const int second = SecondOfDay(row.time);
        if (seen.test(static_cast<std::size_t>(second))) {
            ++duplicates;
            continue;
        }
        seen.set(static_cast<std::size_t>(second));
        ++figures.rowsRead;
        if (!occupied.test(static_cast<std::size_t>(second / 60))) {
            stream.Feed(start + second, row.values);
            continue;
        }
        const ComfortSecond comfort = stream.Add(start + second, row.values);
        figures.summary.Add(row.time, row.values, 1);
        figures.comfort.Add(row.time, comfort, 1, comfortTemp);
        if (observer != nullptr && *observer)
            (*observer)({row.time, 1, comfort.operativeTemp, comfort.pmv, comfort.ppd,
                         comfort.draught ? std::optional<double>(comfort.draught->draughtRate) : std::nullopt});
    }
    figures.summary.AddSkippedRows(reader.SkippedRows() + otherDays);
    figures.summary.AddDuplicateRows(duplicates);
    if (reader.ReadFailed())
        figures.errors.append(ReadError(path, QStringLiteral("reading stopped early")));
    return true;
}

bool SurveyDays::ReadMinuteDay(QDate day, const QString& path, SurveyFigures& figures,
                               const CountedSecondObserver* observer) const
{
    MinuteRecordReader reader;
    QString error;
    if (!reader.Open(path, &error)) {
        figures.errors.append(ReadError(path, error));
        return false;
    }
    const std::bitset<1440> occupied = options_.occupied.MinutesOf(day);
    const std::optional<double> comfortTemp = ComfortTemperatureOf(day);
    std::bitset<1440> seen;
    std::int64_t otherDays = 0;
    std::int64_t duplicates = 0;
    MinuteRecordRow row;
    while (reader.Next(row)) {
        if (!IsOf(row.time, day)) {
            ++otherDays;
            continue;
        }
        const auto minute = static_cast<std::size_t>(row.time.hour * 60 + row.time.minute);
        if (seen.test(minute)) {
            ++duplicates;
            continue;
        }
        seen.set(minute);
        ++figures.rowsRead;
        if (!occupied.test(minute))
            continue;
        // A minute row stands for the sixty seconds it averages; no trailing window takes it.
        const ComfortSecond comfort = ComfortWithoutWindows(row.average);
        figures.summary.Add(row.time, row.average, 60);
        figures.comfort.Add(row.time, comfort, 60, comfortTemp);
        if (observer != nullptr && *observer)
            (*observer)({row.time, 60, comfort.operativeTemp, comfort.pmv, comfort.ppd, std::nullopt});
    }
    figures.summary.AddSkippedRows(reader.SkippedRows() + otherDays);
    figures.summary.AddDuplicateRows(duplicates);
    if (reader.ReadFailed())
        figures.errors.append(ReadError(path, QStringLiteral("reading stopped early")));
    return true;
}

SurveyFigures SurveyDays::Day(QDate day, const CountedSecondObserver* observer) const
{
    SurveyFigures figures(options_);
    bool read = false;
    if (const QString path = folder_.SecondRecordFile(port_, day); !path.isEmpty())
        read = ReadSecondDay(day, path, figures, observer);
    if (!read) {
        if (const QString path = folder_.MinuteRecordFile(day); !path.isEmpty()) {
            read = ReadMinuteDay(day, path, figures, observer);
            if (read)
                figures.minuteDays.append(day);
        }
    }
    if (read)
        figures.filesRead = 1;
    else
        figures.missingDays.append(day);
    return figures;
}

SurveyFigures SurveyDays::Range(QDate from, QDate to, int workers, const CountedSecondObserver* observer) const
{
    std::vector<QDate> days;
    for (QDate day = from; day.isValid() && day <= to; day = day.addDays(1))
        days.push_back(day);
    std::vector<SurveyFigures> done(days.size(), SurveyFigures(options_));
    const bool observed = observer != nullptr && *observer;
    const int threads =
        observed ? 1 : std::clamp<int>(workers, 1, static_cast<int>(std::max<std::size_t>(days.size(), 1)));
    if (threads == 1) {
        for (std::size_t i = 0; i < days.size(); ++i)
            done[i] = Day(days[i], observer);
    } else {
        // Each worker takes the next day not yet taken; a day's figures depend on nothing but it.
        std::atomic<std::size_t> next{0};
        auto work = [&] {
            for (std::size_t i = next.fetch_add(1); i < days.size(); i = next.fetch_add(1))
                done[i] = Day(days[i]);
        };
        std::vector<std::jthread> pool;
        for (int t = 1; t < threads; ++t)
            pool.emplace_back(work);
        work();
    }
    SurveyFigures range(options_);
    for (const SurveyFigures& day : done)
        range.Append(day);
    return range;
}

}  // namespace qemra
