#pragma once

#include "acquisition/Records.h"
#include "common/DateTime.h"

#include <QString>

namespace qemra {

// Label and value text of every row of the monitor list, row 0 being the header ("Name", "Data").
// Plain code, so the texts can be checked without the window. The list is only ever shown, so its
// texts are in the screens' language.
class MonitorListTable {
public:
    static constexpr int kRows = 42;
    static QString Label(int row);
    // The value cell of a row formatted from the record; empty for the header and section rows.
    static QString Value(int row, const TMesData& record);
};

// Turns the 200 ms ticks into one event per new wall-clock second. The first call always counts as
// new; a second without any tick is skipped, not caught up.
class SecondTicker {
public:
    bool NewSecond(TDateTime now);

private:
    TDateTime lastTick_ = 0;
};

}  // namespace qemra
