#pragma once

namespace qemra {

// True when the summary's command line asks for a report ("--report").
bool WantsSurveyReport(int argc, char** argv);
// Writes the survey report of the command line; it paints its pages off screen, so no display is
// needed. Returns the exit status.
int RunSurveyReportCommand(int argc, char** argv);

}  // namespace qemra
