#include "survey/ComfortStream.h"

#include <cmath>

namespace qemra {

namespace {

constexpr double kUnits = 1e6;

std::int64_t Units(double value) { return std::llround(value * kUnits); }

double Value(RecordQuantity quantity, const RecordValues& values) { return values[QuantityIndex(quantity)]; }

}  // namespace

TrailingWindow::TrailingWindow(std::int64_t span, std::int64_t fewestRows)
    : span_(span), fewestRows_(fewestRows), slots_(static_cast<std::size_t>(span))
{
}

void TrailingWindow::Clear()
{
    for (Slot& slot : slots_)
        slot = Slot{};
    end_ = kEmpty;
    rows_ = 0;
    sumFirst_ = 0;
    sumOther_ = 0;
    sumFirstSquares_ = 0;
}

void TrailingWindow::MoveEndTo(std::int64_t second)
{
    if (end_ == kEmpty || second - end_ >= span_) {
        Clear();
        end_ = second;
        return;
    }
    // The slots of the seconds passed over hold rows a whole span older, or none.
    for (std::int64_t s = end_ + 1; s <= second; ++s) {
        Slot& slot = slots_[static_cast<std::size_t>(s % span_)];
        if (slot.second != kEmpty) {
            sumFirst_ -= slot.first;
            sumOther_ -= slot.other;
            sumFirstSquares_ -= Wide{slot.first} * slot.first;
            --rows_;
            slot.second = kEmpty;
        }
    }
    end_ = second;
}

void TrailingWindow::Add(std::int64_t second, double first, double other)
{
    if (second < 0)
        return;
    if (end_ == kEmpty || second > end_)
        MoveEndTo(second);
    else if (second <= end_ - span_)
        return;
    Slot& slot = slots_[static_cast<std::size_t>(second % span_)];
    if (slot.second == second)
        return;
    slot = {second, Units(first), Units(other)};
    sumFirst_ += slot.first;
    sumOther_ += slot.other;
    sumFirstSquares_ += Wide{slot.first} * slot.first;
    ++rows_;
}

double TrailingWindow::MeanOfFirst() const
{
    return rows_ > 0 ? static_cast<double>(sumFirst_) / static_cast<double>(rows_) / kUnits : 0.0;
}

double TrailingWindow::MeanOfOther() const
{
    return rows_ > 0 ? static_cast<double>(sumOther_) / static_cast<double>(rows_) / kUnits : 0.0;
}

double TrailingWindow::DeviationOfFirst() const
{
    if (rows_ == 0)
        return 0.0;
    // n²·variance exactly, in millionths squared.
    const Wide n = rows_;
    const Wide spread = n * sumFirstSquares_ - Wide{sumFirst_} * sumFirst_;
    const double variance = static_cast<double>(spread) / static_cast<double>(n * n);
    return std::sqrt(variance) / kUnits;
}

void DraughtWindow::Add(std::int64_t second, const RecordValues& values)
{
    window_.Add(second, Value(RecordQuantity::Wind, values), Value(RecordQuantity::AirTemp, values));
}

std::optional<DraughtFigures> DraughtWindow::Figures() const
{
    if (!window_.Defined())
        return std::nullopt;
    return DraughtOf(window_.MeanOfFirst(), window_.DeviationOfFirst(), window_.MeanOfOther());
}

ComfortStream::ComfortStream() : wbgt_(kWbgtSpan, kWbgtRows) {}

void ComfortStream::Clear()
{
    draught_.Clear();
    wbgt_.Clear();
}

void ComfortStream::Feed(std::int64_t second, const RecordValues& values)
{
    draught_.Add(second, values);
    wbgt_.Add(second, Value(RecordQuantity::WbgtIn, values), Value(RecordQuantity::Mets, values));
}

double OperativeTemperatureOf(const RecordValues& values)
{
    return OperativeTemperature(Value(RecordQuantity::AirTemp, values), Value(RecordQuantity::RadiantTemp, values),
                                Value(RecordQuantity::Wind, values));
}

ComfortSecond ComfortWithoutWindows(const RecordValues& values)
{
    ComfortSecond figures;
    figures.pmv = Value(RecordQuantity::Pmv, values);
    figures.ppd = PpdOf(figures.pmv);
    figures.operativeTemp = OperativeTemperatureOf(values);
    return figures;
}

ComfortSecond ComfortStream::Add(std::int64_t second, const RecordValues& values)
{
    const bool inOrder = draught_.After(second);
    Feed(second, values);
    ComfortSecond figures;
    figures.pmv = Value(RecordQuantity::Pmv, values);
    if (!(ppd_.input == figures.pmv)) {
        ppd_.input = figures.pmv;
        ppd_.result = PpdOf(figures.pmv);
    }
    figures.ppd = ppd_.result;
    figures.operativeTemp = OperativeTemperatureOf(values);
    if (!inOrder)
        return figures;
    figures.draught = draught_.Figures();
    if (wbgt_.Defined()) {
        const double meanMets = wbgt_.MeanOfOther();
        if (!(limits_.input == meanMets)) {
            limits_.input = meanMets;
            limits_.result = WbgtLimitsFor(meanMets);
        }
        figures.wbgt = ComfortSecond::WbgtAverage{wbgt_.MeanOfFirst(), limits_.result};
    }
    return figures;
}

}  // namespace qemra
