#include "survey/ComfortOptions.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <cmath>

namespace qemra {

namespace {

constexpr const char* kDayNames[7] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};

int DayIndex(const QString& name)
{
    for (int i = 0; i < 7; ++i)
        if (name == QLatin1String(kDayNames[i]))
            return i;
    return -1;
}

// "HH:MM" as minutes of the day; 24:00 only where `endOfDay` allows it.
std::optional<int> MinuteOf(const QString& text, bool endOfDay)
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{2}):([0-9]{2})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int hour = match.captured(1).toInt();
    const int minute = match.captured(2).toInt();
    if (minute > 59 || hour > 24 || (hour == 24 && (minute != 0 || !endOfDay)))
        return std::nullopt;
    return hour * 60 + minute;
}

// A file larger than this is no table of daily temperatures.
constexpr qint64 kLargestOutdoorFile = 16 * 1024 * 1024;

// Dates and numbers are ASCII; a header line may be in any encoding, but a control character
// other than tab and line ends means a binary file.
bool IsText(const QByteArray& bytes)
{
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && u != '\n' && u != '\r' && u != '\t') || u == 0x7f)
            return false;
    }
    return true;
}

QDate DateOf(const QString& text)
{
    QDate date = QDate::fromString(text, QStringLiteral("yyyy/MM/dd"));
    if (!date.isValid())
        date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    return date;
}

}  // namespace

const char* CategoryName(ComfortCategory category)
{
    switch (category) {
    case ComfortCategory::A:
        return "A";
    case ComfortCategory::B:
        return "B";
    case ComfortCategory::C:
        return "C";
    case ComfortCategory::Outside:
        break;
    }
    return "outside";
}

std::optional<OccupiedHours> OccupiedHours::FromText(const QString& text)
{
    const QStringList ends = text.split(u'-');
    if (ends.size() != 2)
        return std::nullopt;
    const std::optional<int> start = MinuteOf(ends[0], false);
    const std::optional<int> end = MinuteOf(ends[1], true);
    if (!start || !end || *start == *end)
        return std::nullopt;
    OccupiedHours hours;
    hours.SetSpan(*start, *end);
    return hours;
}

std::optional<std::array<bool, 7>> OccupiedHours::DaysFromText(const QString& text)
{
    std::array<bool, 7> days{};
    for (const QString& part : text.toLower().split(u',')) {
        const QStringList ends = part.split(u'-');
        if (ends.size() > 2)
            return std::nullopt;
        const int first = DayIndex(ends.front().trimmed());
        const int last = DayIndex(ends.back().trimmed());
        if (first < 0 || last < 0)
            return std::nullopt;
        // A range may wrap over the week's end: "sat-mon".
        for (int i = first;; i = (i + 1) % 7) {
            days[static_cast<std::size_t>(i)] = true;
            if (i == last)
                break;
        }
    }
    return days;
}

void OccupiedHours::SetSpan(int startMinute, int endMinute)
{
    hasSpan_ = true;
    start_ = startMinute;
    end_ = endMinute;
}

void OccupiedHours::SetDays(const std::array<bool, 7>& days)
{
    days_ = days;
    hasDays_ = true;
}

QString OccupiedHours::SpanText() const
{
    auto clock = [](int minute) {
        return QStringLiteral("%1:%2").arg(minute / 60, 2, 10, QChar(u'0')).arg(minute % 60, 2, 10, QChar(u'0'));
    };
    return clock(start_) + u'-' + clock(end_);
}

QStringList OccupiedHours::DayNames() const
{
    QStringList names;
    for (int i = 0; i < 7; ++i)
        if (days_[static_cast<std::size_t>(i)])
            names.append(QLatin1String(kDayNames[i]));
    return names;
}

std::bitset<1440> OccupiedHours::MinutesOf(QDate day) const
{
    std::bitset<1440> minutes;
    const bool today = DayCounts(day);
    if (start_ < end_) {
        if (today)
            for (int m = start_; m < end_; ++m)
                minutes.set(static_cast<std::size_t>(m));
        return minutes;
    }
    // The span passes midnight: its early part belongs to the day before.
    if (DayCounts(day.addDays(-1)))
        for (int m = 0; m < end_; ++m)
            minutes.set(static_cast<std::size_t>(m));
    if (today)
        for (int m = start_; m < 1440; ++m)
            minutes.set(static_cast<std::size_t>(m));
    return minutes;
}

bool OutdoorTemperatures::Load(const QString& path, QString* error, QStringList* problems)
{
    days_.clear();
    const QFileInfo info(path);
    QFile file(path);
    QString reason;
    if (!info.exists())
        reason = QStringLiteral("no such file");
    else if (info.isDir())
        reason = QStringLiteral("a folder, not a file");
    else if (!info.isFile() || info.size() > kLargestOutdoorFile)
        reason = QStringLiteral("not a text file of daily temperatures");
    else if (!file.open(QIODevice::ReadOnly))
        reason = file.errorString();
    QByteArray bytes;
    if (reason.isEmpty()) {
        bytes = file.read(kLargestOutdoorFile + 1);
        if (bytes.size() > kLargestOutdoorFile || !IsText(bytes))
            reason = QStringLiteral("not a text file of daily temperatures");
    }
    if (!reason.isEmpty()) {
        if (error != nullptr)
            *error = reason;
        return false;
    }

    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);  // a byte order mark before the first date
    const QStringList lines = QString::fromLatin1(bytes).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    QSet<QDate> bad;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        const QStringList fields = line.split(u',');
        const QDate date = DateOf(fields.front().trimmed());
        bool number = false;
        const double temperature = fields.size() == 2 ? fields[1].trimmed().toDouble(&number) : 0.0;
        QString problem;
        if (!date.isValid()) {
            // The first line may name the columns.
            if (i == 0)
                continue;
            problem = QStringLiteral("no date yyyy/mm/dd or yyyy-mm-dd");
        } else if (fields.size() != 2 || !number || !std::isfinite(temperature) || std::fabs(temperature) > 100) {
            problem = QStringLiteral("no temperature after the date");
        } else if (days_.contains(date) && days_.value(date) != temperature) {
            problem = QStringLiteral("a second, different temperature for ") + date.toString(Qt::ISODate);
        }
        if (!problem.isEmpty()) {
            if (problems != nullptr)
                problems->append(QStringLiteral("%1:%2: %3").arg(path).arg(i + 1).arg(problem));
            if (date.isValid())
                bad.insert(date);
            continue;
        }
        days_.insert(date, temperature);
    }
    // A day with a malformed line is not known, whatever other lines say of it.
    for (const QDate& date : bad)
        days_.remove(date);
    return true;
}

std::optional<double> OutdoorTemperatures::RunningMean(QDate day) const
{
    static constexpr double kWeights[7] = {1.0, 0.8, 0.6, 0.5, 0.4, 0.3, 0.2};
    double sum = 0;
    for (int back = 1; back <= 7; ++back) {
        const auto found = days_.constFind(day.addDays(-back));
        if (found == days_.constEnd())
            return std::nullopt;
        sum += kWeights[back - 1] * found.value();
    }
    return sum / 3.8;
}

}  // namespace qemra
