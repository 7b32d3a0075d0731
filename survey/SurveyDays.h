#pragma once

#include "survey/ComfortFigures.h"
#include "survey/RecordFolder.h"
#include "survey/SurveySummary.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace qemra {

// The figures of one day, or of a range of days joined in day order.
struct SurveyFigures {
    SurveyFigures() = default;
    // `options` must outlive the figures.
    explicit SurveyFigures(const ComfortOptions& options) : comfort(options) {}

    SurveySummary summary;
    ComfortFigures comfort;
    int filesRead = 0;
    std::int64_t rowsRead = 0;  // readable rows of the day's date, counted or not
    QList<QDate> minuteDays;    // counted from their minute record file
    QList<QDate> missingDays;   // no file could be read
    QStringList errors;         // files that could not be read, or not to their end

    void Append(const SurveyFigures& later);
};

// The days of a survey as the summary counts them: each day's second record file of the port,
// else its minute record file. A row of another date is skipped, a time the day already counted
// is counted once. The trailing windows of a day start with the last hour of the day before, so a
// day's figures are the same whether it is read alone or after the day before.
class SurveyDays {
public:
    // `options` must outlive this and the figures made.
    SurveyDays(const RecordFolder& folder, const QString& port, const ComfortOptions& options);

    // One day; `observer`, when given, sees each counted second in file order.
    SurveyFigures Day(QDate day, const CountedSecondObserver* observer = nullptr) const;

    // The days from `from` to `to`, on `workers` threads (one when an observer is given: it is then
    // called on the calling thread, day after day), joined in day order: the result is the same to
    // the last bit for any number of workers.
    SurveyFigures Range(QDate from, QDate to, int workers = 1, const CountedSecondObserver* observer = nullptr) const;

private:
    bool ReadSecondDay(QDate day, const QString& path, SurveyFigures& figures,
                       const CountedSecondObserver* observer) const;
    bool ReadMinuteDay(QDate day, const QString& path, SurveyFigures& figures,
                       const CountedSecondObserver* observer) const;
    void FeedLeadIn(QDate day, ComfortStream& stream) const;
    std::optional<double> ComfortTemperatureOf(QDate day) const;

    const RecordFolder& folder_;
    QString port_;
    const ComfortOptions& options_;
};

}  // namespace qemra
