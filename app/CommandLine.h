#pragma once

#include <QString>
#include <QStringList>

namespace qemra {

// What `qemra-monitor` was asked to do, read from its arguments before any window toolkit or
// application object exists, so that --help, --version and a wrong option need no display.
struct CommandLine {
    enum class Mode {
        Window,    // no mode option: the window program
        Headless,  // --headless [--data-dir DIR]
        Summary,   // --summary FROM TO [...]
        Help,      // --help: HelpText() on standard output, exit 0
        Version,   // --version: VersionText() on standard output, exit 0
        Wrong,     // `error` and UsageLine() on standard error, exit 2
    };

    Mode mode = Mode::Window;
    QString error;
    QString dataDir;   // --headless: the data folder given, empty for the default
    QString language;  // the window program's --lang, empty when not given
    // The summary's own arguments (without the program name), checked further by the summary.
    QStringList summaryArguments;
};

// `arguments` without the program name.
CommandLine ParseCommandLine(const QStringList& arguments);

// Every option, one line each.
QString MonitorHelpText();
// One line: how the program is called.
QString MonitorUsageLine();
// "qemra-monitor 1.0.0" and the Qt version the program runs with, one line each.
QString MonitorVersionText();

}  // namespace qemra
