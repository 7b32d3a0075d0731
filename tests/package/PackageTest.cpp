#include "common/AppFolder.h"
#include "tests/support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <memory>

namespace qemra {
namespace {

// Runs a program to its end; its standard output, or an empty array when it failed.
QByteArray RunProgram(const QString& program, const QStringList& arguments, QString* error = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(110000);
    if (!ended || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        if (error != nullptr)
            *error = QString::fromLocal8Bit(process.readAllStandardError() + process.readAllStandardOutput());
        return {};
    }
    return process.readAllStandardOutput();
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One Debian package built from this build tree into a temporary folder, shared by the tests.
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
        if (debs.size() == 1)
            deb_ = output_->file(debs.front());
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

    static inline std::unique_ptr<TempFolder> output_;
    static inline QString deb_;
    static inline QString cpackError_;
};

TEST_F(PackageTest, HoldsTheProgramsDesktopEntryIconAndShippedDefaultsWhereTheProgramLooks)
{
    // The paths come from the layout compiled into the programs, so an installed program finds
    // itself installed and finds the shipped defaults.
    const InstallLayout layout = ConfiguredInstallLayout();
    const QString share = QDir::cleanPath(layout.dataFolder + "/..");
    const QMap<QString, QString> expected{
        {layout.binFolder + "/qemra-monitor", "-rwxr-xr-x"},
        {layout.binFolder + "/qemra-sim", "-rwxr-xr-x"},
        {layout.dataFolder + "/DefaultPrm.qemra", "-rw-r--r--"},
        {share + "/applications/qemra-monitor.desktop", "-rw-r--r--"},
        {share + "/icons/hicolor/scalable/apps/qemra-monitor.svg", "-rw-r--r--"},
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
    const InstallLayout layout = ConfiguredInstallLayout();
    const QString share = QDir::cleanPath(layout.dataFolder + "/..");
    const struct {
        QString source;
        QString installed;
    } cases[] = {
        {"data/DefaultPrm.qemra", layout.dataFolder + "/DefaultPrm.qemra"},
        {"packaging/qemra-monitor.desktop", share + "/applications/qemra-monitor.desktop"},
        {"packaging/qemra-monitor.svg", share + "/icons/hicolor/scalable/apps/qemra-monitor.svg"},
    };
    for (const auto& c : cases) {
        const QByteArray source = ReadFile(QStringLiteral(QEMRA_SOURCE_DIR "/") + c.source);
        ASSERT_FALSE(source.isEmpty()) << c.source.toStdString();
        EXPECT_EQ(root.read(c.installed.mid(1)), source) << c.installed.toStdString();
    }
    // The desktop entry starts the installed program by name and names the installed icon.
    const QByteArray desktop = root.read(share.mid(1) + "/applications/qemra-monitor.desktop");
    EXPECT_TRUE(desktop.contains("\nExec=qemra-monitor\n"));
    EXPECT_TRUE(desktop.contains("\nIcon=qemra-monitor\n"));
    EXPECT_TRUE(desktop.startsWith("[Desktop Entry]\n"));
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
