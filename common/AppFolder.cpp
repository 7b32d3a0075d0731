#include "common/AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <pwd.h>
#include <unistd.h>

#ifndef QEMRA_INSTALL_BINDIR
#define QEMRA_INSTALL_BINDIR "/usr/local/bin"
#endif
#ifndef QEMRA_INSTALL_DATADIR
#define QEMRA_INSTALL_DATADIR "/usr/local/share/qemra-monitor"
#endif

namespace qemra {

namespace {

const QString kAppName = QStringLiteral("qemra-monitor");
const QString kDefaultParameterFile = QStringLiteral("DefaultPrm.qemra");

// An absolute path without "." / ".." parts or doubled separators; empty for anything relative.
QString CleanAbsolute(const QString& path)
{
    if (!QDir::isAbsolutePath(path))
        return {};
    return QDir::cleanPath(path);
}

}  // namespace

QString ExecutableFolder() { return WithTrailingSlash(QCoreApplication::applicationDirPath()); }

InstallLayout ConfiguredInstallLayout()
{
    return {QStringLiteral(QEMRA_INSTALL_BINDIR), QStringLiteral(QEMRA_INSTALL_DATADIR)};
}

AppLocation ChooseAppLocation(const QString& executableFolder, const QProcessEnvironment& environment,
                              const InstallLayout& layout)
{
    const QString binFolder = CleanAbsolute(layout.binFolder);
    const bool installed = !binFolder.isEmpty() && CleanAbsolute(executableFolder) == binFolder;
    if (!installed)
        return {WithTrailingSlash(executableFolder), QString()};

    // A relative XDG_DATA_HOME is to be ignored, as an unset one is.
    QString dataHome = CleanAbsolute(environment.value(QStringLiteral("XDG_DATA_HOME")));
    if (dataHome.isEmpty()) {
        const QString home = CleanAbsolute(environment.value(QStringLiteral("HOME")));
        // Never the bin folder, which root could write to: with no home at all, the working folder.
        if (home.isEmpty())
            return {QString(), WithTrailingSlash(layout.dataFolder)};
        dataHome = home + QStringLiteral("/.local/share");
    }
    return {WithTrailingSlash(QDir::cleanPath(dataHome + u'/' + kAppName)), WithTrailingSlash(layout.dataFolder)};
}

AppLocation RunningAppLocation()
{
    InstallLayout layout = ConfiguredInstallLayout();
    // The executable's own path comes with links resolved, so the layout's must be too.
    const QString canonicalBin = QFileInfo(layout.binFolder).canonicalFilePath();
    if (!canonicalBin.isEmpty())
        layout.binFolder = canonicalBin;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // A session without HOME (a service, "env -i") still has a home in the user database.
    if (environment.value(QStringLiteral("HOME")).isEmpty()) {
        if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr)
            environment.insert(QStringLiteral("HOME"), QFile::decodeName(user->pw_dir));
    }
    return ChooseAppLocation(QCoreApplication::applicationDirPath(), environment, layout);
}

QString ChooseHistoryCacheFolder(const AppLocation& location, const QProcessEnvironment& environment)
{
    // Only an installed program has a shipped data folder.
    if (location.shippedDataFolder.isEmpty())
        return location.baseFolder.isEmpty() ? QString()
                                             : WithTrailingSlash(location.baseFolder) + QStringLiteral("HistoryCache/");
    QString cacheHome = CleanAbsolute(environment.value(QStringLiteral("XDG_CACHE_HOME")));
    if (cacheHome.isEmpty()) {
        const QString home = CleanAbsolute(environment.value(QStringLiteral("HOME")));
        if (home.isEmpty())
            return {};
        cacheHome = home + QStringLiteral("/.cache");
    }
    return WithTrailingSlash(QDir::cleanPath(cacheHome + u'/' + kAppName));
}

QString AppBaseFolder() { return AppBaseFolder(RunningAppLocation()); }

QString AppBaseFolder(const AppLocation& location)
{
    const QString& folder = location.baseFolder;
    if (!folder.isEmpty() && !QDir().mkpath(folder))
        std::fprintf(stderr, "qemra-monitor: cannot create the folder %s\n", QFile::encodeName(folder).constData());
    return folder;
}

QString DefaultParameterFilePath(const QString& baseFolder)
{
    return DefaultParameterFilePath(baseFolder, RunningAppLocation().shippedDataFolder);
}

QString DefaultParameterFilePath(const QString& baseFolder, const QString& shippedDataFolder)
{
    QString own = WithTrailingSlash(baseFolder) + kDefaultParameterFile;
    if (shippedDataFolder.isEmpty() || QFileInfo(own).isFile())
        return own;
    return WithTrailingSlash(shippedDataFolder) + kDefaultParameterFile;
}

QString WithTrailingSlash(const QString& folder)
{
    // An empty folder stays empty (the working folder) rather than becoming the root "/".
    if (folder.isEmpty() || folder.endsWith(u'/'))
        return folder;
    return folder + u'/';
}

}  // namespace qemra
