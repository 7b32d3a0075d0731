#include "survey/ReportDistributions.h"

#include <algorithm>
#include <cmath>

namespace qemra {

namespace {

// A value on a bin's lower edge belongs to that bin, even when its quotient by the width comes out
// a hair below the whole number ("0.3" / "0.1").
constexpr double kEdgeSlack = 1e-9;

std::int64_t BinNumber(double value, double width)
{
    return static_cast<std::int64_t>(std::floor(value / width + kEdgeSlack));
}

// The fine grids of the average day: fine enough that a quantile read from them is good to the last
// decimal the report prints.
BinnedWeights OperativeTempGrid() { return BinnedWeights(-10.0, 60.0, 0.05); }
BinnedWeights PmvGrid() { return BinnedWeights(-5.0, 5.0, 0.01); }
BinnedWeights DraughtGrid() { return BinnedWeights(0.0, 100.0, 0.1); }

}  // namespace

BinnedWeights::BinnedWeights(double lowest, double highest, double width)
    : lowest_(lowest), width_(width), firstIndex_(std::llround(lowest / width))
{
    const auto bins = std::max<std::int64_t>(1, std::llround((highest - lowest) / width));
    weights_.assign(static_cast<std::size_t>(bins), 0.0);
}

void BinnedWeights::Add(double value, double weight)
{
    const std::int64_t last = static_cast<std::int64_t>(weights_.size()) - 1;
    // Clamped before the conversion, so a huge value cannot overflow the index.
    const double clamped = std::clamp(value, lowest_ - width_, lowest_ + width_ * static_cast<double>(last + 2));
    const std::int64_t index = std::clamp<std::int64_t>(BinNumber(clamped, width_) - firstIndex_, 0, last);
    weights_[static_cast<std::size_t>(index)] += weight;
    total_ += weight;
}

void BinnedWeights::Append(const BinnedWeights& later)
{
    for (std::size_t i = 0; i < weights_.size() && i < later.weights_.size(); ++i)
        weights_[i] += later.weights_[i];
    total_ += later.total_;
}

std::optional<double> BinnedWeights::Quantile(double fraction) const
{
    if (!(total_ > 0))
        return std::nullopt;
    const double target = std::clamp(fraction, 0.0, 1.0) * total_;
    double below = 0;
    std::size_t last = 0;
    for (std::size_t i = 0; i < weights_.size(); ++i) {
        if (weights_[i] <= 0)
            continue;
        last = i;
        if (below + weights_[i] >= target) {
            const double inside = std::clamp((target - below) / weights_[i], 0.0, 1.0);
            return lowest_ + width_ * (static_cast<double>(i) + inside);
        }
        below += weights_[i];
    }
    // Only rounding in the sums gets here.
    return lowest_ + width_ * static_cast<double>(last + 1);
}

void ValueSpread::Add(double value, double seconds)
{
    weight += seconds;
    sum += value * seconds;
    bins.Add(value, seconds);
}

void ValueSpread::Append(const ValueSpread& later)
{
    weight += later.weight;
    sum += later.sum;
    bins.Append(later.bins);
}

std::optional<double> ValueSpread::Mean() const
{
    return weight > 0 ? std::optional<double>(sum / weight) : std::nullopt;
}

ReportDistributions::Hour::Hour() : operativeTemp(OperativeTempGrid()), pmv(PmvGrid()), draughtRate(DraughtGrid()) {}

const ValueSpread& ReportDistributions::Hour::Of(Quantity quantity) const
{
    switch (quantity) {
    case Quantity::OperativeTemp:
        return operativeTemp;
    case Quantity::Pmv:
        return pmv;
    case Quantity::DraughtRate:
        break;
    }
    return draughtRate;
}

ReportDistributions::ReportDistributions() : pmvOverall_(-3.0, 3.0, 0.1), draughtOverall_(0.0, 100.0, 2.5) {}

void ReportDistributions::AddSecond(const RecordTime& localTime, double weightSeconds, double operativeTemp, double pmv,
                                    std::optional<double> draughtRate)
{
    if (!(weightSeconds > 0) || !std::isfinite(weightSeconds) || !std::isfinite(operativeTemp) || !std::isfinite(pmv) ||
        localTime.hour < 0 || localTime.hour >= kHours)
        return;
    Hour& hour = hours_[static_cast<std::size_t>(localTime.hour)];
    hour.operativeTemp.Add(operativeTemp, weightSeconds);
    hour.pmv.Add(pmv, weightSeconds);
    pmvOverall_.Add(pmv, weightSeconds);
    if (draughtRate && std::isfinite(*draughtRate)) {
        hour.draughtRate.Add(*draughtRate, weightSeconds);
        draughtOverall_.Add(*draughtRate, weightSeconds);
    }
    AddDay(QDate(localTime.year, localTime.month, localTime.day), operativeTemp, weightSeconds);
    seconds_ += weightSeconds;
}

void ReportDistributions::AddSecond(const QDateTime& localTime, double weightSeconds, double operativeTemp, double pmv,
                                    std::optional<double> draughtRate)
{
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    AddSecond(RecordTime{date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()},
              weightSeconds, operativeTemp, pmv, draughtRate);
}

void ReportDistributions::AddDay(QDate date, double operativeTemp, double weightSeconds)
{
    if (days_.empty() || days_.back().date != date) {
        days_.push_back({date, operativeTemp, operativeTemp, 0, 0});
    }
    Day& day = days_.back();
    day.minimum = std::min(day.minimum, operativeTemp);
    day.maximum = std::max(day.maximum, operativeTemp);
    day.sum += operativeTemp * weightSeconds;
    day.seconds += weightSeconds;
}

void ReportDistributions::Append(const ReportDistributions& later)
{
    for (std::size_t h = 0; h < hours_.size(); ++h) {
        hours_[h].operativeTemp.Append(later.hours_[h].operativeTemp);
        hours_[h].pmv.Append(later.hours_[h].pmv);
        hours_[h].draughtRate.Append(later.hours_[h].draughtRate);
    }
    pmvOverall_.Append(later.pmvOverall_);
    draughtOverall_.Append(later.draughtOverall_);
    for (const Day& day : later.days_) {
        // A day split between the two parts is one day.
        if (!days_.empty() && days_.back().date == day.date) {
            Day& same = days_.back();
            same.minimum = std::min(same.minimum, day.minimum);
            same.maximum = std::max(same.maximum, day.maximum);
            same.sum += day.sum;
            same.seconds += day.seconds;
        } else {
            days_.push_back(day);
        }
    }
    seconds_ += later.seconds_;
}

ReportDistributions::Histogram ReportDistributions::PmvHistogram() const
{
    return {pmvOverall_.Lowest(), pmvOverall_.Width(), pmvOverall_.Weights()};
}

ReportDistributions::Histogram ReportDistributions::DraughtHistogram() const
{
    return {draughtOverall_.Lowest(), draughtOverall_.Width(), draughtOverall_.Weights()};
}

ReportDistributions::HourFigures ReportDistributions::AtHour(Quantity quantity, int hour) const
{
    if (hour < 0 || hour >= kHours)
        return {};
    const ValueSpread& spread = hours_[static_cast<std::size_t>(hour)].Of(quantity);
    return {spread.Mean(), spread.bins.Quantile(0.1), spread.bins.Quantile(0.9), spread.weight};
}

}  // namespace qemra
