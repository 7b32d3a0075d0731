#pragma once

#include "survey/ComfortFormulas.h"

#include <QDate>
#include <QMap>
#include <QString>
#include <QStringList>

#include <array>
#include <bitset>
#include <memory>
#include <optional>

namespace qemra {

// The occupied seconds: a daily span of hours and the days of the week. A span that passes
// midnight (22:00-06:00) belongs to the day it starts on, so a Friday night shift reaches into
// Saturday morning and Monday's first hours belong to Sunday.
class OccupiedHours {
public:
    // "HH:MM-HH:MM", start included, end excluded; the end may be 24:00. Empty when not such a span.
    static std::optional<OccupiedHours> FromText(const QString& text);
    // "mon-fri", "mon,wed,sat-sun": names mon...sun, ranges and commas. Empty when bad.
    static std::optional<std::array<bool, 7>> DaysFromText(const QString& text);

    OccupiedHours() = default;  // every second of every day

    void SetDays(const std::array<bool, 7>& days);
    void SetSpan(int startMinute, int endMinute);

    bool HasSpan() const { return hasSpan_; }
    bool HasDays() const { return hasDays_; }
    QString SpanText() const;      // "08:00-18:00"
    QStringList DayNames() const;  // in week order, "mon" first

    // The minutes of `day` (0 = 00:00) that count.
    std::bitset<1440> MinutesOf(QDate day) const;

private:
    bool DayCounts(QDate day) const { return days_[static_cast<std::size_t>(day.dayOfWeek() - 1)]; }

    bool hasSpan_ = false;
    bool hasDays_ = false;
    int start_ = 0;
    int end_ = 1440;
    std::array<bool, 7> days_{true, true, true, true, true, true, true};
};

// The daily mean outdoor temperatures of a file, lines "date,temperature".
class OutdoorTemperatures {
public:
    // Reads the file. False with `error` when it cannot be used at all (missing, a folder, not
    // text); a malformed line is named in `problems` ("FILE:LINE: reason") and its day left out.
    bool Load(const QString& path, QString* error, QStringList* problems);

    // The running mean for `day` from the seven days before it; empty unless all seven are known.
    std::optional<double> RunningMean(QDate day) const;

    void Set(QDate day, double temperature) { days_.insert(day, temperature); }

private:
    QMap<QDate, double> days_;
};

// What the comfort figures count and against what.
struct ComfortOptions {
    OccupiedHours occupied;
    ComfortCategory category = ComfortCategory::B;
    // The operative temperature range of the degree hours.
    std::optional<std::pair<double, double>> toRange;
    // With outdoor temperatures, the adaptive figures.
    std::shared_ptr<const OutdoorTemperatures> outdoor;
};

const char* CategoryName(ComfortCategory category);

}  // namespace qemra
