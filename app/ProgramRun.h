#pragma once

#include <QString>
#include <functional>

namespace qemra {

class Clock;
class EndSignals;
class Program;
class Prompts;

// Creates the program's windows in their order, shows the main window and runs the event loop
// until the main window is closed or an end signal comes, which closes it the same way.
// `endSignals` listens from before the first window: a signal while a start-up message box is up
// closes the box, and the program then ends without showing a window. `created` runs once the
// windows exist. Returns the exit status.
int RunProgram(const Clock& clock, Prompts& prompts, const QString& baseFolder, EndSignals& endSignals,
               const std::function<void(Program&)>& created = {});

// Prints the survey summary under a QCoreApplication, creating no window; the data folder defaults
// to the program's own. Returns the exit status.
int RunSurveySummaryCommand(int argc, char** argv);

}  // namespace qemra
