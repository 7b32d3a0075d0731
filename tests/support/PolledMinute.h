#pragma once

#include "core/AcquisitionCore.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempFolder.h"

#include <QElapsedTimer>
#include <QTest>
#include <functional>
#include <memory>

namespace qemra {

// A simulated instrument with a fixed seed and a clock that moves with the polls, whose link "Port0.ini" in `folder` names, and second
// recording switched on there: two runs that poll alike get the same answers.
inline std::unique_ptr<SimProcess> StartSeededInstrument(const TempFolder& folder)
{
    folder.write("BaseSetpoint.ini", "[Record]\r\nSecRec=1\r\n");
    return std::make_unique<SimProcess>(QStringList{"--seed", "7", "--clock-step", "0.2", "--quiet", "--link", folder.file("sim.tty"),
                                                    "--port-ini", folder.file("Port0.ini")});
}

// Drives `tick` for `seconds` of the fake clock, five ticks a second, each waiting (in real time)
// for the answer to what it sent (up to 10 s), so no answer is counted missing on a busy machine.
inline void PollFor(FakeClock& clock, PollCycle& poll, const std::function<void()>& tick, int seconds)
{
    for (int i = 0; i < seconds * 5; ++i) {
        tick();
        QElapsedTimer waited;
        waited.start();
        while (poll.Acquiring && !poll.AnsReady && waited.elapsed() < 10000)
            QTest::qWait(1);
        clock.AdvanceMilliseconds(200);
    }
}

}  // namespace qemra
