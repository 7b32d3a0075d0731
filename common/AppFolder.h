#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace qemra {

// The folder of the running executable, ending with "/". Files "next to the executable" are
// resolved against a base folder handed to each object; the program passes AppBaseFolder().
QString ExecutableFolder();

// Where an installed copy of the programs and of the shipped data lives.
struct InstallLayout {
    QString binFolder;   // e.g. "/usr/bin"
    QString dataFolder;  // e.g. "/usr/share/qemra-monitor"
};

// The layout this build installs into (its install prefix, compiled in).
InstallLayout ConfiguredInstallLayout();

// Where the program keeps its files.
struct AppLocation {
    // Everything "next to the executable"; ends with "/".
    QString baseFolder;
    // The package's data folder, ends with "/"; empty when not installed.
    QString shippedDataFolder;
};

// A program whose folder is the layout's bin folder is installed: it cannot write there, so it
// keeps its files in $XDG_DATA_HOME/qemra-monitor (~/.local/share/qemra-monitor when that is unset
// or not absolute; with no home either, the working folder). Any other program, such as one run
// from its build tree, keeps them next to itself. Only the arguments decide, so every case can be
// tried without installing anything.
AppLocation ChooseAppLocation(const QString& executableFolder, const QProcessEnvironment& environment,
                              const InstallLayout& layout);

// The running program's location, from its own path, its environment and the configured layout.
AppLocation RunningAppLocation();

// Where the history window keeps its reduction cache, ending with "/": for an installed program
// $XDG_CACHE_HOME/qemra-monitor (~/.cache/qemra-monitor when that is unset or not absolute; with
// no home either, none: empty), for any other beside its data, in "HistoryCache" of its base folder.
QString ChooseHistoryCacheFolder(const AppLocation& location, const QProcessEnvironment& environment);

// The base folder of a location, created when missing; ends with "/" (empty: the working folder).
QString AppBaseFolder(const AppLocation& location);
// The running program's base folder, created when missing.
QString AppBaseFolder();

// The parameter defaults a calibration starts from: the user's own "DefaultPrm.qemra" in the base
// folder when there is one, else the shipped copy of an installed program.
QString DefaultParameterFilePath(const QString& baseFolder);
// The same with the shipped data folder given (empty: not installed, the base folder's file).
QString DefaultParameterFilePath(const QString& baseFolder, const QString& shippedDataFolder);

// Appends "/" when missing.
QString WithTrailingSlash(const QString& folder);

}  // namespace qemra
