#include "common/AppFolder.h"
#include "tests/support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <memory>

namespace qemra {
namespace {

// How a program run ended and what it wrote.
struct Ran {
    bool ended = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Ran RunToEnd(const QString& program, const QStringList& arguments, const QByteArray& input = {},
             const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    if (process.waitForStarted(10000)) {
        process.write(input);
        process.closeWriteChannel();
    }
    Ran ran;
    ran.ended = process.waitForFinished(110000) && process.exitStatus() == QProcess::NormalExit;
    ran.exitCode = process.exitCode();
    ran.out = process.readAllStandardOutput();
    ran.err = process.readAllStandardError();
    return ran;
}

// Runs a program to its end; its standard output, or an empty array when it failed.
QByteArray RunProgram(const QString& program, const QStringList& arguments, QString* error = nullptr)
{
    const Ran ran = RunToEnd(program, arguments);
    if (!ran.ended || ran.exitCode != 0) {
        if (error != nullptr)
            *error = QString::fromLocal8Bit(ran.err + ran.out);
        return {};
    }
    return ran.out;
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray ReadSource(const QString& relative) { return ReadFile(QStringLiteral(QEMRA_SOURCE_DIR "/") + relative); }

QByteArray Gunzip(const QByteArray& compressed) { return RunToEnd("gzip", {"-dc"}, compressed).out; }

// Where the package puts each kind of file, from the layout compiled into the programs, so an
// installed program finds itself installed and finds the shipped defaults.
struct PackagePaths {
    PackagePaths()
    {
        const InstallLayout layout = ConfiguredInstallLayout();
        bin = layout.binFolder;
        data = layout.dataFolder;
        share = QDir::cleanPath(layout.dataFolder + "/..");
        prefix = QDir::cleanPath(layout.binFolder + "/..");
        man = share + "/man/man1";
        doc = share + "/doc/qemra-monitor";
        unit = prefix + "/lib/systemd/user/qemra-monitor-headless.service";
        metainfo = share + "/metainfo/io.github.qemra_monitor.metainfo.xml";
    }
    QString bin, data, share, prefix, man, doc, unit, metainfo;
};

// One Debian package built from this build tree into a temporary folder, and its files
// unpacked beside it, shared by the tests.
class PackageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (QStandardPaths::findExecutable("dpkg-deb").isEmpty())
            return;
        output_ = std::make_unique<TempFolder>();
        RunProgram(
            QStringLiteral(QEMRA_CPACK),
            {"-G", "DEB", "--config", QStringLiteral(QEMRA_BINARY_DIR "/CPackConfig.cmake"), "-B", output_->path()},
            &cpackError_);
        const QStringList debs = QDir(output_->path()).entryList({"*.deb"}, QDir::Files);
        if (debs.size() == 1) {
            deb_ = output_->file(debs.front());
            RunProgram("dpkg-deb", {"--extract", deb_, output_->file("root")});
        }
    }
    static void TearDownTestSuite() { output_.reset(); }

    void SetUp() override
    {
        if (output_ == nullptr)
            GTEST_SKIP() << "dpkg-deb is not installed";
        ASSERT_FALSE(deb_.isEmpty()) << "cpack made no package: " << cpackError_.toStdString();
    }

    // The package's entries by path ("/usr/bin/qemra-monitor"), each with its mode ("-rwxr-xr-x").
    static QMap<QString, QString> Contents()
    {
        QMap<QString, QString> entries;
        const QList<QByteArray> lines = RunProgram("dpkg-deb", {"--contents", deb_}).split('\n');
        for (const QByteArray& line : lines) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() >= 6 && fields.last().startsWith("./"))
                entries.insert(QString::fromUtf8(fields.last().mid(1)), QString::fromUtf8(fields.front()));
        }
        return entries;
    }

    // An installed path ("/usr/bin/qemra-sim") in the unpacked package.
    static QString Unpacked(const QString& installed) { return output_->file("root") + installed; }

    static inline std::unique_ptr<TempFolder> output_;
    static inline QString deb_;
    static inline QString cpackError_;
};

TEST_F(PackageTest, HoldsTheProgramsDesktopEntryIconAndShippedDefaultsWhereTheProgramLooks)
{
    // Beside the programs and their data, what Debian users expect: man pages, the copyright and
    // changelog, the AppStream metainfo and the user unit of the headless monitor.
    const PackagePaths paths;
    const QMap<QString, QString> expected{
        {paths.bin + "/qemra-monitor", "-rwxr-xr-x"},
        {paths.bin + "/qemra-sim", "-rwxr-xr-x"},
        {paths.data + "/DefaultPrm.qemra", "-rw-r--r--"},
        {paths.share + "/applications/qemra-monitor.desktop", "-rw-r--r--"},
        {paths.share + "/icons/hicolor/scalable/apps/qemra-monitor.svg", "-rw-r--r--"},
        {paths.metainfo, "-rw-r--r--"},
        {paths.man + "/qemra-monitor.1.gz", "-rw-r--r--"},
        {paths.man + "/qemra-sim.1.gz", "-rw-r--r--"},
        {paths.doc + "/copyright", "-rw-r--r--"},
        {paths.doc + "/changelog.Debian.gz", "-rw-r--r--"},
        {paths.unit, "-rw-r--r--"},
    };
    QMap<QString, QString> files;
    const QMap<QString, QString> contents = Contents();
    for (auto it = contents.begin(); it != contents.end(); ++it) {
        if (!it.value().startsWith('d'))
            files.insert(it.key(), it.value());
    }
    EXPECT_EQ(files, expected) << "package holds: " << QStringList(files.keys()).join(' ').toStdString();
}

TEST_F(PackageTest, ShipsTheTreesFilesByteForByte)
{
    TempFolder root;
    RunProgram("dpkg-deb", {"--extract", deb_, root.path()});
    const PackagePaths paths;
    const QString share = paths.share;
    const struct {
        QString source;
        QString installed;
    } cases[] = {
        {"data/DefaultPrm.qemra", paths.data + "/DefaultPrm.qemra"},
        {"packaging/qemra-monitor.desktop", share + "/applications/qemra-monitor.desktop"},
        {"packaging/qemra-monitor.svg", share + "/icons/hicolor/scalable/apps/qemra-monitor.svg"},
        {"packaging/copyright", paths.doc + "/copyright"},
        {"packaging/io.github.qemra_monitor.metainfo.xml", paths.metainfo},
    };
    for (const auto& c : cases) {
        const QByteArray source = ReadSource(c.source);
        ASSERT_FALSE(source.isEmpty()) << c.source.toStdString();
        EXPECT_EQ(root.read(c.installed.mid(1)), source) << c.installed.toStdString();
    }
    // The desktop entry starts the installed program by name and names the installed icon.
    const QByteArray desktop = root.read(share.mid(1) + "/applications/qemra-monitor.desktop");
    EXPECT_TRUE(desktop.contains("\nExec=qemra-monitor\n"));
    EXPECT_TRUE(desktop.contains("\nIcon=qemra-monitor\n"));
    EXPECT_TRUE(desktop.startsWith("[Desktop Entry]\n"));
}

TEST_F(PackageTest, CompressesManPagesAndChangelogWithoutNameOrTimeStamp)
{
    // gzip -9n: no file name and a zero time in the header, best compression, so the same
    // sources give the same package bytes.
    const PackagePaths paths;
    const struct {
        QString source;
        QString installed;
    } cases[] = {
        {"packaging/qemra-monitor.1", paths.man + "/qemra-monitor.1.gz"},
        {"packaging/qemra-sim.1", paths.man + "/qemra-sim.1.gz"},
        {"packaging/changelog.Debian", paths.doc + "/changelog.Debian.gz"},
    };
    for (const auto& c : cases) {
        const QByteArray compressed = ReadFile(Unpacked(c.installed));
        ASSERT_GE(compressed.size(), 10) << c.installed.toStdString();
        constexpr char kNameFlag = 0x08;
        EXPECT_EQ(compressed.left(3), QByteArray("\x1f\x8b\x08", 3)) << c.installed.toStdString();
        EXPECT_EQ(compressed[3] & kNameFlag, 0) << c.installed.toStdString() << " carries a file name";
        EXPECT_EQ(compressed.mid(4, 4), QByteArray(4, '\0')) << c.installed.toStdString() << " carries a time";
        EXPECT_EQ(compressed[8], '\x02') << c.installed.toStdString() << " is not compressed with -9";
        EXPECT_EQ(Gunzip(compressed), ReadSource(c.source)) << c.installed.toStdString();
    }
}

TEST_F(PackageTest, UserUnitRunsTheInstalledMonitorHeadlessWithAWatchdogAndRestartsItAfterAFailure)
{
    const PackagePaths paths;
    const QByteArray unit = ReadFile(Unpacked(paths.unit));
    // The one difference from the tree's file is the bin folder of the prefix.
    EXPECT_EQ(unit, ReadSource("packaging/qemra-monitor-headless.service")
                        .replace("@CMAKE_INSTALL_FULL_BINDIR@", paths.bin.toUtf8()));
    for (const QByteArray& line :
         {"ExecStart=" + paths.bin.toUtf8() + "/qemra-monitor --headless", QByteArray("Type=notify"),
          QByteArray("WatchdogSec=30"), QByteArray("Restart=on-failure"),
          QByteArray("RestartSec=5"), QByteArray("WantedBy=default.target")})
        EXPECT_TRUE(unit.contains("\n" + line + "\n")) << line.constData() << " missing from\n" << unit.constData();
    EXPECT_TRUE(QRegularExpression("\nDescription=\\S").match(QString::fromUtf8(unit)).hasMatch());

    // systemd reads it without a complaint. Its check wants the program present, so it reads a
    // copy that starts the unpacked monitor, with a runtime folder of its own for the user manager.
    TempFolder runtime;
    ASSERT_TRUE(QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString copy = runtime.file("qemra-monitor-headless.service");
    runtime.write("qemra-monitor-headless.service",
                  QByteArray(unit).replace("=" + paths.bin.toUtf8() + "/", "=" + Unpacked(paths.bin).toUtf8() + "/"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtime.path());
    const Ran verify = RunToEnd("systemd-analyze", {"verify", "--user", "--man=no", copy}, {}, environment);
    ASSERT_TRUE(verify.ended) << "systemd-analyze did not run";
    EXPECT_EQ(verify.exitCode, 0) << verify.err.constData();
    EXPECT_TRUE(verify.err.isEmpty()) << verify.err.constData();
}

TEST_F(PackageTest, MetainfoPassesAppstreamValidationAndLaunchesTheShippedDesktopEntry)
{
    const PackagePaths paths;
    const Ran validate = RunToEnd("appstreamcli", {"validate", "--no-net", "--no-color", Unpacked(paths.metainfo)});
    ASSERT_TRUE(validate.ended) << "appstreamcli did not run";
    EXPECT_EQ(validate.exitCode, 0) << validate.out.constData() << validate.err.constData();

    const QRegularExpressionMatch launchable =
        QRegularExpression(R"(<launchable type="desktop-id">([^<]+)</launchable>)")
            .match(QString::fromUtf8(ReadFile(Unpacked(paths.metainfo))));
    ASSERT_TRUE(launchable.hasMatch());
    EXPECT_TRUE(QFile::exists(Unpacked(paths.share + "/applications/" + launchable.captured(1))))
        << launchable.captured(1).toStdString() << " is not in the package";
}

TEST_F(PackageTest, LintianReportsNoError)
{
    // A Debian package installs under /usr, as the release preset's does. A tree configured for
    // another prefix (the dev build's /usr/local) is packaged once more under /usr for lintian,
    // which refuses anything in /usr/local and looks for the copyright in /usr/share/doc.
    QString deb = deb_;
    TempFolder underUsr;
    if (ConfiguredInstallLayout().binFolder != QStringLiteral("/usr/bin")) {
        QString error;
        RunProgram(QStringLiteral(QEMRA_CPACK),
                   {"-G", "DEB", "--config", QStringLiteral(QEMRA_BINARY_DIR "/CPackConfig.cmake"), "-B",
                    underUsr.path(), "-D", "CPACK_PACKAGING_INSTALL_PREFIX=/usr"},
                   &error);
        const QStringList debs = QDir(underUsr.path()).entryList({"*.deb"}, QDir::Files);
        ASSERT_EQ(debs.size(), 1) << "cpack made no package under /usr: " << error.toStdString();
        deb = underUsr.file(debs.front());
    }
    const Ran lintian = RunToEnd("lintian", {"--no-cfg", deb});
    ASSERT_TRUE(lintian.ended) << "lintian did not run";
    QStringList errors;
    for (const QByteArray& line : lintian.out.split('\n'))
        if (line.startsWith("E: "))
            errors.append(QString::fromUtf8(line));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_EQ(lintian.exitCode, 0) << lintian.out.constData() << lintian.err.constData();
}

TEST_F(PackageTest, ManPagesRenderWithoutWarningsAndDescribeExactlyTheOptionsTheProgramsList)
{
    const PackagePaths paths;
    // Each packaged program lists its options in its help, one line each.
    const Ran simHelp = RunToEnd(Unpacked(paths.bin + "/qemra-sim"), {"--help"});
    const Ran monitorHelp = RunToEnd(Unpacked(paths.bin + "/qemra-monitor"), {"--help"});
    ASSERT_EQ(simHelp.exitCode, 0) << simHelp.err.constData();
    ASSERT_EQ(monitorHelp.exitCode, 0) << monitorHelp.err.constData();
    const struct {
        QString page;
        QByteArray help;
    } cases[] = {
        {"qemra-sim.1.gz", simHelp.out},
        {"qemra-monitor.1.gz", monitorHelp.out},
    };
    for (const auto& c : cases) {
        const QByteArray page = Gunzip(ReadFile(Unpacked(paths.man + "/" + c.page)));
        ASSERT_FALSE(page.isEmpty()) << c.page.toStdString();
        const Ran groff = RunToEnd("groff", {"-man", "-Tutf8", "-ww", "-z"}, page);
        EXPECT_TRUE(groff.ended && groff.exitCode == 0) << c.page.toStdString();
        EXPECT_TRUE(groff.err.isEmpty()) << c.page.toStdString() << ":\n" << groff.err.constData();

        const QString text = QString::fromUtf8(page).replace(QStringLiteral("\\-"), QStringLiteral("-"));
        const QString optionsSection =
            u'\n' + text.section(QStringLiteral("\n.SH OPTIONS\n"), 1).section("\n.SH ", 0, 0);
        const auto names = [](const QString& source, const QString& pattern) {
            QSet<QString> found;
            QRegularExpressionMatchIterator matches = QRegularExpression(pattern).globalMatch(source);
            while (matches.hasNext())
                found.insert(matches.next().captured(1));
            return found;
        };
        const QSet<QString> listed = names(QString::fromUtf8(c.help), "(?m)^  (--[a-z][a-z-]*)");
        const QSet<QString> described = names(optionsSection, "\\n\\.TP\\n\\.BI? (--[a-z][a-z-]*)(?=[ \\n])");
        ASSERT_FALSE(listed.isEmpty()) << c.help.constData();
        for (const QString& option : listed)
            EXPECT_TRUE(described.contains(option)) << c.page.toStdString() << " does not describe " << option.toStdString();
        for (const QString& option : described)
            EXPECT_TRUE(listed.contains(option)) << "the help does not list " << option.toStdString() << " of "
                                                 << c.page.toStdString();
    }

    // Every run-time command the simulator lists has its entry under COMMANDS.
    const QString simPage = QString::fromUtf8(Gunzip(ReadFile(Unpacked(paths.man + "/qemra-sim.1.gz"))))
                                .replace(QStringLiteral("\\-"), QStringLiteral("-"));
    const QString commandsSection = simPage.section(QStringLiteral("\n.SH COMMANDS\n"), 1).section("\n.SH ", 0, 0);
    const QString commandList = QString::fromUtf8(simHelp.out).section(QStringLiteral("commands, one per line:"), 1);
    QRegularExpressionMatchIterator commands = QRegularExpression("(?m)^  ([a-z][a-z-]*)").globalMatch(commandList);
    ASSERT_TRUE(commands.hasNext()) << simHelp.out.constData();
    while (commands.hasNext()) {
        const QString command = commands.next().captured(1);
        EXPECT_TRUE(commandsSection.contains(QRegularExpression("\\n\\.BI? " + command + "(?=[ \\n])")))
            << "qemra-sim.1 does not describe the command " << command.toStdString();
    }
}

TEST_F(PackageTest, ChangelogAndMetainfoNameThePackagesVersion)
{
    const QString version = QString::fromUtf8(RunProgram("dpkg-deb", {"--field", deb_, "Version"})).trimmed();
    ASSERT_FALSE(version.isEmpty());
    const PackagePaths paths;
    const QByteArray changelog = Gunzip(ReadFile(Unpacked(paths.doc + "/changelog.Debian.gz")));
    EXPECT_TRUE(changelog.startsWith("qemra-monitor (" + version.toUtf8() + ") ")) << changelog.left(60).constData();
    const QString upstream = version.section(u'-', 0, 0);
    EXPECT_TRUE(ReadFile(Unpacked(paths.metainfo)).contains("<release version=\"" + upstream.toUtf8() + "\""))
        << "no release " << upstream.toStdString() << " in the metainfo";
}

TEST_F(PackageTest, NamesItselfAndTheLibrariesItNeeds)
{
    const QByteArray fields = RunProgram("dpkg-deb", {"--field", deb_, "Package", "Depends", "Architecture"});
    EXPECT_TRUE(fields.contains("Package: qemra-monitor\n")) << fields.constData();
    for (const char* library : {"libqt6widgets6", "libqt6serialport6", "libqt6charts6", "libc6"})
        EXPECT_TRUE(fields.contains(library)) << library << " missing from " << fields.constData();
    EXPECT_FALSE(fields.contains("Architecture: all")) << fields.constData();
}

}  // namespace
}  // namespace qemra
