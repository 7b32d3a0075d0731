#include "common/AppFolder.h"
#include "common/IniFile.h"
#include "tests/support/TempFolder.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace qemra {
namespace {

const InstallLayout kLayout{"/usr/bin", "/usr/share/qemra-monitor"};

QProcessEnvironment Environment(const char* xdgDataHome, const char* home)
{
    QProcessEnvironment environment;
    if (xdgDataHome != nullptr)
        environment.insert("XDG_DATA_HOME", xdgDataHome);
    if (home != nullptr)
        environment.insert("HOME", home);
    return environment;
}

TEST(AppFolder, InstalledProgramKeepsItsFilesInTheUsersDataFolder)
{
    struct Case {
        const char* executableFolder;
        const char* xdgDataHome;  // nullptr: unset
        const char* home;
        const char* base;
        const char* shipped;
    };
    const Case cases[] = {
        // Run from a build tree or any other folder: next to the executable, as always.
        {"/work/build/app", "/x/data", "/home/u", "/work/build/app/", ""},
        {"/work/build/app/", nullptr, "/home/u", "/work/build/app/", ""},
        {"/usr/local/bin", "/x/data", "/home/u", "/usr/local/bin/", ""},
        {"/usr/bin/tools", "/x/data", "/home/u", "/usr/bin/tools/", ""},
        {"/usr/binary", "/x/data", "/home/u", "/usr/binary/", ""},
        // Installed: the data home, else ~/.local/share; relative or empty values do not count.
        {"/usr/bin", "/x/data", "/home/u", "/x/data/qemra-monitor/", "/usr/share/qemra-monitor/"},
        {"/usr/bin/", "/x/data/", "/home/u", "/x/data/qemra-monitor/", "/usr/share/qemra-monitor/"},
        {"/usr/sbin/../bin", "/x/data", "/home/u", "/x/data/qemra-monitor/", "/usr/share/qemra-monitor/"},
        {"/usr/bin", nullptr, "/home/u", "/home/u/.local/share/qemra-monitor/", "/usr/share/qemra-monitor/"},
        {"/usr/bin", "", "/home/u", "/home/u/.local/share/qemra-monitor/", "/usr/share/qemra-monitor/"},
        {"/usr/bin", "data", "/home/u", "/home/u/.local/share/qemra-monitor/", "/usr/share/qemra-monitor/"},
        {"/usr/bin", "/", "/home/u", "/qemra-monitor/", "/usr/share/qemra-monitor/"},
        // No home at all: never the bin folder, but the working folder.
        {"/usr/bin", nullptr, nullptr, "", "/usr/share/qemra-monitor/"},
        {"/usr/bin", nullptr, "relative", "", "/usr/share/qemra-monitor/"},
    };
    for (const Case& c : cases) {
        const AppLocation location = ChooseAppLocation(c.executableFolder, Environment(c.xdgDataHome, c.home), kLayout);
        EXPECT_EQ(location.baseFolder, QString(c.base)) << c.executableFolder << " " << c.xdgDataHome;
        EXPECT_EQ(location.shippedDataFolder, QString(c.shipped)) << c.executableFolder;
    }
}

TEST(AppFolder, HistoryCacheLiesInTheUsersCacheFolderOrBesideTheData)
{
    struct Case {
        const char* executableFolder;
        const char* xdgCacheHome;  // nullptr: unset
        const char* home;
        const char* cache;
    };
    const Case cases[] = {
        {"/work/build/app", "/x/cache", "/home/u", "/work/build/app/HistoryCache/"},
        {"/usr/bin", "/x/cache", "/home/u", "/x/cache/qemra-monitor/"},
        {"/usr/bin", nullptr, "/home/u", "/home/u/.cache/qemra-monitor/"},
        {"/usr/bin", "relative", "/home/u", "/home/u/.cache/qemra-monitor/"},
        {"/usr/bin", nullptr, nullptr, ""},
    };
    for (const Case& c : cases) {
        QProcessEnvironment environment = Environment(nullptr, c.home);
        if (c.xdgCacheHome != nullptr)
            environment.insert("XDG_CACHE_HOME", c.xdgCacheHome);
        const AppLocation location = ChooseAppLocation(c.executableFolder, environment, kLayout);
        EXPECT_EQ(ChooseHistoryCacheFolder(location, environment), QString(c.cache))
            << c.executableFolder << " " << (c.xdgCacheHome != nullptr ? c.xdgCacheHome : "unset");
    }
}

TEST(AppFolder, InstalledProgramCreatesItsFolderInATemporaryHome)
{
    TempFolder home;
    const AppLocation location =
        ChooseAppLocation("/usr/bin", Environment(nullptr, home.path().toUtf8().constData()), kLayout);
    const QString base = AppBaseFolder(location);
    ASSERT_EQ(base, home.path() + ".local/share/qemra-monitor/");
    EXPECT_TRUE(QFileInfo(base).isDir());
    EXPECT_EQ(AppBaseFolder(location), base);  // an existing folder is kept

    IniFile(base + "Port0.ini").WriteString("ComPortM", "Port", "/dev/ttyUSB0");
    EXPECT_EQ(home.read(".local/share/qemra-monitor/Port0.ini"), QByteArray("[ComPortM]\r\nPort=/dev/ttyUSB0\r\n"));
}

TEST(AppFolder, ProgramRunFromItsBuildTreeIsNotInstalled)
{
    // The test programs sit in the build tree, as a monitor run from there does.
    const AppLocation location = RunningAppLocation();
    EXPECT_EQ(location.baseFolder, ExecutableFolder());
    EXPECT_TRUE(location.shippedDataFolder.isEmpty());
    EXPECT_EQ(DefaultParameterFilePath("/base"), QString("/base/DefaultPrm.qemra"));
}

TEST(AppFolder, DefaultParametersComeFromTheUsersCopyElseTheShippedOne)
{
    TempFolder base;
    TempFolder shipped;
    const QString own = base.file("DefaultPrm.qemra");
    const QString packaged = shipped.file("DefaultPrm.qemra");

    EXPECT_EQ(DefaultParameterFilePath(base.path(), ""), own);  // not installed, even when missing
    EXPECT_EQ(DefaultParameterFilePath(base.path(), shipped.path()), packaged);
    QDir().mkpath(own);  // a folder of that name is no parameter file
    EXPECT_EQ(DefaultParameterFilePath(base.path(), shipped.path()), packaged);
    QDir().rmdir(own);
    base.write("DefaultPrm.qemra", "[Base]\r\n");
    EXPECT_EQ(DefaultParameterFilePath(base.path(), shipped.path()), own);
    EXPECT_EQ(DefaultParameterFilePath(base.path(), ""), own);
}

}  // namespace
}  // namespace qemra
