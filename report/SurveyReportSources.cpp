#include "report/SurveyReportSources.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>

namespace qemra {

namespace {

constexpr int kMinutesPerDay = 24 * 60;

}  // namespace

OccupiedSeconds::OccupiedSeconds(const QJsonObject& selection)
{
    static const QRegularExpression hoursPattern(QStringLiteral("^(\\d\\d):(\\d\\d)-(\\d\\d):(\\d\\d)$"));
    if (const auto match = hoursPattern.match(selection.value(QStringLiteral("hours")).toString()); match.hasMatch()) {
        startMinute_ = match.captured(1).toInt() * 60 + match.captured(2).toInt();
        endMinute_ = match.captured(3).toInt() * 60 + match.captured(4).toInt();
        allHours_ = startMinute_ == endMinute_;
    }
    if (const QJsonValue days = selection.value(QStringLiteral("days")); days.isArray()) {
        static const QStringList names = {QStringLiteral("mon"), QStringLiteral("tue"), QStringLiteral("wed"),
                                          QStringLiteral("thu"), QStringLiteral("fri"), QStringLiteral("sat"),
                                          QStringLiteral("sun")};
        days_.fill(false);
        for (const QJsonValue day : days.toArray()) {
            if (const qsizetype i = names.indexOf(day.toString()); i >= 0)
                days_[std::size_t(i)] = true;
        }
    }
}

bool OccupiedSeconds::Counts(const RecordTime& time) const
{
    const int weekday = QDate(time.year, time.month, time.day).dayOfWeek();
    if (weekday < 1 || !days_[std::size_t(weekday - 1)])
        return false;
    if (allHours_)
        return true;
    const int minute = (time.hour * 60 + time.minute) % kMinutesPerDay;
    return startMinute_ < endMinute_ ? minute >= startMinute_ && minute < endMinute_
                                     : minute >= startMinute_ || minute < endMinute_;
}

SurveyReportSources ReadSurveyReportSources(const RecordFolder& folder, const QString& port, QDate from, QDate to,
                                            const QJsonObject& summary)
{
    SurveyReportSources sources;
    SurveyReportInputs& inputs = sources.inputs;
    inputs.port = port;
    inputs.from = from;
    inputs.to = to;
    const OccupiedSeconds occupied(summary.value(QStringLiteral("selection")).toObject());
    const auto add = [&](const RecordTime& time, double seconds, const RecordValues& values) {
        if (!occupied.Counts(time))
            return;
        const double operative = OperativeTemperature(values[QuantityIndex(RecordQuantity::AirTemp)],
                                                      values[QuantityIndex(RecordQuantity::RadiantTemp)],
                                                      values[QuantityIndex(RecordQuantity::Wind)]);
        sources.distributions.AddSecond(time, seconds, operative, values[QuantityIndex(RecordQuantity::Pmv)],
                                        std::nullopt);
    };
    SecondRecordReader seconds;
    MinuteRecordReader minutes;
    SecondRecordRow secondRow;
    MinuteRecordRow minuteRow;
    for (QDate day = from; day.isValid() && day <= to; day = day.addDays(1)) {
        // The same choice of file as the summary's: the port's second records, else the minute records.
        if (const QString path = folder.SecondRecordFile(port, day); !path.isEmpty() && seconds.Open(path)) {
            while (seconds.Next(secondRow))
                add(secondRow.time, 1, secondRow.values);
            inputs.files.push_back({path, QFileInfo(path).size()});
            continue;
        }
        if (const QString path = folder.MinuteRecordFile(day); !path.isEmpty() && minutes.Open(path)) {
            while (minutes.Next(minuteRow))
                add(minuteRow.time, 60, minuteRow.average);
            inputs.files.push_back({path, QFileInfo(path).size()});
            inputs.minuteDays.append(day);
            continue;
        }
        inputs.missingDays.append(day);
    }
    return sources;
}

}  // namespace qemra
