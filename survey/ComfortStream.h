#pragma once

#include "survey/ComfortFormulas.h"
#include "survey/RecordFileReader.h"

#include <climits>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace qemra {

// The rows of the last `span` seconds of time, as sums that are exact: each value is taken in
// millionths as a whole number, so the sums do not depend on where the rows started or how many
// came and went, and a window that starts anew gives the same figures to the last bit.
class TrailingWindow {
public:
    TrailingWindow(std::int64_t span, std::int64_t fewestRows);

    // Moves the window's end to `second` (rows with times in (second - span, second] stay) and
    // takes the row of that second; a second the window already holds is not taken again, nor is
    // one older than the window. Two values per row: `first` and `second`.
    void Add(std::int64_t second, double first, double other);
    void Clear();

    // The window is defined at its end with at least `fewestRows` rows.
    bool Defined() const { return rows_ >= fewestRows_; }
    std::int64_t Rows() const { return rows_; }
    std::int64_t End() const { return end_; }
    double MeanOfFirst() const;
    double MeanOfOther() const;
    // The population standard deviation of the first values.
    double DeviationOfFirst() const;

private:
    __extension__ typedef __int128 Wide;
    static constexpr std::int64_t kEmpty = INT64_MIN;

public:
    // End() of a window that holds nothing yet.
    static constexpr std::int64_t kEmptyEnd = kEmpty;

private:
    void MoveEndTo(std::int64_t second);

    std::int64_t span_;
    std::int64_t fewestRows_;
    std::int64_t end_ = kEmpty;
    std::int64_t rows_ = 0;
    std::int64_t sumFirst_ = 0;
    std::int64_t sumOther_ = 0;
    Wide sumFirstSquares_ = 0;
    struct Slot {
        std::int64_t second = kEmpty;
        std::int64_t first = 0;
        std::int64_t other = 0;
    };
    std::vector<Slot> slots_;  // a slot per second of the span, by second modulo span
};

// The comfort figures of one second.
struct ComfortSecond {
    double operativeTemp = 0;
    double pmv = 0;
    double ppd = 0;
    // Over the trailing 180 s; empty with fewer than 162 rows there.
    std::optional<DraughtFigures> draught;
    // The mean indoor WBGT of the trailing hour and its limits; empty with fewer than 3,240 rows.
    struct WbgtAverage {
        double average = 0;
        WbgtLimits limits;
    };
    std::optional<WbgtAverage> wbgt;
};

// The draught over the trailing 180 s of second rows fed in time order, kept by time.
class DraughtWindow {
public:
    static constexpr std::int64_t kSpan = 180;
    static constexpr std::int64_t kFewestRows = 162;

    // Whether a row at `second` would come after every row taken: only such a row has a draught.
    bool After(std::int64_t second) const
    {
        return window_.End() == TrailingWindow::kEmptyEnd || second > window_.End();
    }
    void Add(std::int64_t second, const RecordValues& values);
    // The draught at the last row's second; empty with fewer than 162 rows in the window.
    std::optional<DraughtFigures> Figures() const;
    void Clear() { window_.Clear(); }

private:
    TrailingWindow window_{kSpan, kFewestRows};
};

// The per-second figures of second rows fed in time order, trailing windows kept by time: a gap
// in the rows (the port away, a missing day) leaves rows out of the windows, never a row count.
class ComfortStream {
public:
    static constexpr std::int64_t kDraughtSpan = DraughtWindow::kSpan;
    static constexpr std::int64_t kDraughtRows = DraughtWindow::kFewestRows;
    static constexpr std::int64_t kWbgtSpan = 3600;
    static constexpr std::int64_t kWbgtRows = 3240;

    ComfortStream();

    // The figures of a second row at `second` (local seconds, see LocalSeconds). A row older than
    // one fed before still enters the windows it falls in, but its own windows are not defined.
    ComfortSecond Add(std::int64_t second, const RecordValues& values);
    // A row that only fills the windows: the lead-in before the first counted row.
    void Feed(std::int64_t second, const RecordValues& values);
    void Clear();

private:
    // The last inputs of the costly formulas and their results: values that stay put between
    // seconds (a PMV to two decimals, the hour's mean METs) are worked out once. The results are
    // the formulas' own, so they do not depend on what came before.
    template <class Result>
    struct Last {
        double input = std::numeric_limits<double>::quiet_NaN();
        Result result{};
    };

    DraughtWindow draught_;
    TrailingWindow wbgt_;
    Last<double> ppd_;
    Last<WbgtLimits> limits_;
};

// The operative temperature of a row's air and radiant temperature and air speed.
double OperativeTemperatureOf(const RecordValues& values);

// The figures of a second from values alone: a minute row's averages, whose windows are not defined.
ComfortSecond ComfortWithoutWindows(const RecordValues& values);

}  // namespace qemra
