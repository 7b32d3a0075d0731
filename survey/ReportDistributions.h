#pragma once

#include "survey/RecordFileReader.h"

#include <QDate>
#include <QDateTime>

#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace qemra {

// Counted seconds over a fixed grid of value bins: weights only, no samples, so its size is the same
// for a day as for a year. A value beyond the grid counts in its end bin.
class BinnedWeights {
public:
    // Bins of `width` from `lowest` (a whole number of widths from zero) up to `highest`.
    BinnedWeights(double lowest, double highest, double width);

    void Add(double value, double weight);
    void Append(const BinnedWeights& later);

    double Total() const { return total_; }
    double Lowest() const { return lowest_; }
    double Width() const { return width_; }
    const std::vector<double>& Weights() const { return weights_; }
    // The value below which a `fraction` (0 to 1) of the weight lies, read linearly inside its bin;
    // empty without weight.
    std::optional<double> Quantile(double fraction) const;

private:
    double lowest_;
    double width_;
    std::int64_t firstIndex_;
    std::vector<double> weights_;
    double total_ = 0;
};

// Weighted mean and fine-binned spread of one quantity.
struct ValueSpread {
    double weight = 0;
    double sum = 0;
    BinnedWeights bins;

    explicit ValueSpread(BinnedWeights grid) : bins(std::move(grid)) {}
    void Add(double value, double seconds);
    void Append(const ValueSpread& later);
    std::optional<double> Mean() const;
};

// What a survey report draws beyond the summary's figures: the PMV and draught-rate histograms, the
// average day, and each day's range of operative temperature. Fed with the counted seconds only.
class ReportDistributions {
public:
    static constexpr int kHours = 24;

    ReportDistributions();

    // `weightSeconds` seconds that held these values (1 for a second row, 60 for a minute row's
    // averages); `draughtRate` is empty where it is not defined. Non-finite values are passed over.
    void AddSecond(const RecordTime& localTime, double weightSeconds, double operativeTemp, double pmv,
                   std::optional<double> draughtRate);
    void AddSecond(const QDateTime& localTime, double weightSeconds, double operativeTemp, double pmv,
                   std::optional<double> draughtRate);
    // The seconds of a later part of the survey (the next day, say), as if added here.
    void Append(const ReportDistributions& later);

    struct Histogram {
        double lowest = 0;
        double width = 0;
        std::vector<double> seconds;  // per bin; the end bins hold what lies beyond them
    };
    // PMV in bins of 0.1 from -3 to +3; draught rate in bins of 2.5 % from 0 to 100 %.
    Histogram PmvHistogram() const;
    Histogram DraughtHistogram() const;

    struct HourFigures {
        std::optional<double> mean;
        std::optional<double> low;   // the 10 % quantile
        std::optional<double> high;  // the 90 % quantile
        double seconds = 0;
    };
    enum class Quantity { OperativeTemp, Pmv, DraughtRate };
    // The average day: the figures of each hour of the day 0 to 23 over all days.
    HourFigures AtHour(Quantity quantity, int hour) const;

    struct Day {
        QDate date;
        double minimum = 0;
        double maximum = 0;
        double sum = 0;
        double seconds = 0;
        double Average() const { return seconds > 0 ? sum / seconds : 0; }
    };
    // Operative temperature per day, in the order the days came.
    const std::vector<Day>& Days() const { return days_; }

    double Seconds() const { return seconds_; }

private:
    struct Hour {
        Hour();
        ValueSpread operativeTemp;
        ValueSpread pmv;
        ValueSpread draughtRate;
        const ValueSpread& Of(Quantity quantity) const;
    };

    void AddDay(QDate date, double operativeTemp, double weightSeconds);

    std::array<Hour, kHours> hours_;
    BinnedWeights pmvOverall_;
    BinnedWeights draughtOverall_;
    std::vector<Day> days_;
    double seconds_ = 0;
};

}  // namespace qemra
