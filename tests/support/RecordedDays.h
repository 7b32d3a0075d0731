#pragma once

#include "acquisition/SharedState.h"
#include "common/DateTime.h"
#include "recording/RecordFiles.h"

#include <QString>

// Record files written by the recorder itself, one second step after another from `start`, with
// values that need no more decimals than the files keep, so what is read back is known exactly.
namespace history_test {

// The values of second `s` of a run: sawtooth waves of different periods.
inline void SetValues(qemra::TMesData& m, int s)
{
    m.M53 = static_cast<float>(-1.0 + (s % 21) * 0.1);
    m.M52 = static_cast<float>(20.0 + (s % 100) * 0.1);
    m.M51 = m.M52 + 1.0f;
    m.M11 = static_cast<float>(22.0 + (s % 37) * 0.1);
    m.M04 = m.M11 + 0.5f;
    m.M22 = static_cast<float>(10.0 + (s % 13) * 0.1);
    m.M12 = static_cast<float>(40.0 + (s % 50) * 0.1);
    m.M01 = static_cast<float>(0.1 + (s % 9) * 0.05);
    m.M55 = 1.2f;
    m.H51 = 0.5f;
    m.M21 = 9.5f;
    m.M23 = 15.0f;
}

// `seconds` second steps from `start`; with `secondRows` off only the minute record file is written.
inline void RecordSeconds(const QString& folder, const QString& port, qemra::TDateTime start, int seconds,
                          bool secondRows = true)
{
    qemra::SharedState state;
    state.MySts.PortName = port;
    state.MySts.SecRec = secondRows ? 1 : 0;
    state.CurMes.Measuring = 1;
    qemra::FakeClock clock(start);
    qemra::RecordFiles files(folder, state, clock);
    for (int s = 0; s < seconds; ++s) {
        SetValues(state.CurMes, s);
        files.RecordSecond();
        clock.AdvanceSeconds(1);
    }
}

}  // namespace history_test
