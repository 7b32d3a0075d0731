#include "recording/HistoryExport.h"

#include "common/Cp932File.h"
#include "tests/support/TempFolder.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace qemra;

namespace {

const QString kGraphLabels =
    QStringLiteral(",風速,気温,湿度,輻射熱,METs,clo,PMV,WBGTo,WBGTi,絶対湿度,露点温度,湿球温度,");
const QString kGraphUnits = QStringLiteral(",m/s.,℃,%,℃, , , ,℃,℃,g/kg,℃,℃,");
const QString kShortLabels = QStringLiteral(
    ",風速,気温,湿度,輻射熱,METs,PMV,WBGTo,WBGTi,絶対湿度,露点温度,湿球温度,風向,気温１,気温２,WDS温度１,WDS温度２,"
    "BGT温度１,BGT温度２,BB温度１,BB温度２,BB温度３,SHT気温,SHT湿度,風速(補正前),気温(内部用),プローブ温度,温度差,"
    "CPU使用率,電源電圧,AD変換回数,DA出力値,");
const QString kShortUnits =
    QStringLiteral(",m/s.,℃,%,℃, , ,℃,℃,g/kg,℃,℃,m/s.,℃,℃,℃,℃,℃,℃,℃,℃,℃,℃,%,m/s.,℃,℃,℃,%,V,/s.,V,");

struct Layout {
    const char* name;
    bool (*write)(const TMesHistory&, const QString&, QString*, QChar);
    QString labels;
    QString units;
};

const Layout kLayouts[] = {
    {"graph data", &WriteGraphData, kGraphLabels, kGraphUnits},
    {"short log", &WriteShortLog, kShortLabels, kShortUnits},
};

QStringList LinesOf(const QByteArray& bytes)
{
    QStringList lines = FromCp932(bytes).split(QStringLiteral("\r\n"));
    EXPECT_TRUE(lines.back().isEmpty()) << "every line ends with CR LF";
    lines.removeLast();
    return lines;
}

TDateTime Start() { return EncodeDateTime(2024, 5, 1, 10, 0, 0, 0); }

TEST(HistoryExportTest, EmptyRingGivesTheTwoHeaderLinesOfEachLayout)
{
    TempFolder temp;
    TMesHistory history;
    for (const Layout& layout : kLayouts) {
        SCOPED_TRACE(layout.name);
        ASSERT_TRUE(layout.write(history, temp.file(QStringLiteral("x.csv")), nullptr, u'.'));
        const QByteArray bytes = temp.read(QStringLiteral("x.csv"));
        EXPECT_EQ(bytes, Cp932Lines({layout.labels, layout.units}));
        // ",風速,気温," and ",m/s.,℃,%," in code page 932.
        EXPECT_TRUE(bytes.startsWith(QByteArray::fromHex("2c959791ac2c8b4389b72c")));
        EXPECT_TRUE(bytes.contains(QByteArray::fromHex("0d0a2c6d2f732e2c818e2c252c")));
    }
}

TEST(HistoryExportTest, TwoSnapshotsGiveOneLineForTheOlder)
{
    TMesHistory history;
    history.Clear();
    TMesData record;
    record.M01 = 0.1234f;
    record.M05 = 1e-6f;
    record.C52 = 1234;
    record.H51 = -2.5f;
    history.Push(record, EncodeDateTime(2024, 5, 1, 9, 5, 7));
    record.M01 = 99;
    history.Push(record, EncodeDateTime(2024, 5, 1, 9, 5, 8));

    const QStringList graph = GraphDataLines(history, u'.');
    ASSERT_EQ(graph.size(), 3);
    EXPECT_EQ(graph[2], QStringLiteral("2024/05/01 09:05:07,0.123400002717972,0,0,0,0,-2.5,0,0,0,0,0,0,"));

    const QStringList shortLog = ShortLogLines(history, u',');
    ASSERT_EQ(shortLog.size(), 3);
    const QStringList fields = shortLog[2].split(u',');
    EXPECT_EQ(fields[0], QStringLiteral("2024/05/01 09:05:07"));
    EXPECT_EQ(fields[1], QStringLiteral("0"));  // "0.1234..." split at its decimal comma
    EXPECT_EQ(fields[2], QStringLiteral("123400002717972"));
    EXPECT_TRUE(shortLog[2].contains(QStringLiteral(",9,99999997475243E-7,")));  // wind direction
    EXPECT_TRUE(shortLog[2].endsWith(QStringLiteral(",1234,0,")));               // C52, then C53
}

TEST(HistoryExportTest, FullRingGives1023LinesOldestFirstOneSecondApart)
{
    TMesHistory history;
    TMesData record;
    for (int i = 0; i < 1500; ++i) {
        record.M11 = static_cast<float>(i);
        history.Push(record, Start() + i / 86400.0);
    }

    for (const auto& lines : {GraphDataLines(history, u'.'), ShortLogLines(history, u'.')}) {
        ASSERT_EQ(lines.size(), 2 + 1023);
        for (int k = 0; k < 1023; ++k) {
            // The newest push was number 1499, in slot 0; the export ends with slot 1.
            const int push = 1499 - 1023 + k;
            const QString expected = FormatDateTime(QStringLiteral("yyyy/mm/dd hh:nn:ss"), Start() + push / 86400.0) +
                                     u',' + QString::number(0) + u',' + QString::number(push) + u',';
            ASSERT_TRUE(lines[2 + k].startsWith(expected)) << k;
        }
        EXPECT_TRUE(lines.back().startsWith(QStringLiteral("2024/05/01 10:24:58,")));
    }
}

class HistoryExporterTest : public ::testing::Test {
protected:
    HistoryExporterTest()
    {
        TMesData record;
        record.M01 = 1;
        history.Push(record, Start());
        history.Push(record, Start() + 1 / 86400.0);
    }

    TempFolder temp;
    TMesHistory history;
    RecordingPrompts prompts;
    HistoryExporter exporter{prompts, history, temp.path()};
};

TEST_F(HistoryExporterTest, EachButtonAsksForAFileAndWritesItsLayoutOverAnyOldFile)
{
    temp.write(QStringLiteral("graph.csv"), QByteArray(5000, 'x'));
    prompts.fileAnswers = {temp.file(QStringLiteral("graph.csv")), temp.file(QStringLiteral("short.csv"))};
    exporter.SaveGraphData();
    exporter.BBSaveFileClick();

    ASSERT_EQ(prompts.dialogs.size(), 2u);
    for (const FileDialogOptions& dialog : prompts.dialogs) {
        EXPECT_EQ(dialog.filter, QStringLiteral("CSV File (*.csv)"));
        EXPECT_EQ(dialog.defaultSuffix, QStringLiteral("csv"));
        EXPECT_TRUE(dialog.confirmOverwrite);
        EXPECT_EQ(dialog.directory, temp.path()) << "the data folder, not the working folder";
    }
    EXPECT_EQ(LinesOf(temp.read(QStringLiteral("graph.csv"))), GraphDataLines(history));
    EXPECT_EQ(LinesOf(temp.read(QStringLiteral("short.csv"))), ShortLogLines(history));
    EXPECT_EQ(LinesOf(temp.read(QStringLiteral("graph.csv"))).size(), 3);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(HistoryExporterTest, CancelledDialogWritesNothing)
{
    exporter.SaveGraphData();
    exporter.BBSaveFileClick();
    EXPECT_EQ(prompts.dialogs.size(), 2u);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(QDir(temp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST_F(HistoryExporterTest, FileThatCannotBeWrittenShowsTheReasonAndChangesNothing)
{
    struct Case {
        const char* name;
        QString chosen;
        const char* reason;
    };
    temp.write(QStringLiteral("plain"), "a file, not a folder");
    temp.write(QStringLiteral("folder.csv/inside"), "kept");
    const Case cases[] = {
        {"parent is a file", temp.file(QStringLiteral("plain/x.csv")), "Not a directory"},
        {"name of a folder", temp.file(QStringLiteral("folder.csv")), "directory"},
        {"missing folder", temp.file(QStringLiteral("missing/x.csv")), "No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.messages.clear();
        prompts.fileAnswers = {c.chosen};
        exporter.BBSaveFileClick();
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].kind, Prompts::Kind::Error);
        EXPECT_TRUE(prompts.messages[0].text.contains(c.chosen)) << prompts.messages[0].text.toStdString();
        EXPECT_TRUE(prompts.messages[0].text.contains(QLatin1String(c.reason)))
            << prompts.messages[0].text.toStdString();
    }
    EXPECT_EQ(temp.read(QStringLiteral("plain")), "a file, not a folder");
    EXPECT_EQ(temp.read(QStringLiteral("folder.csv/inside")), "kept");
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              (QStringList{"folder.csv", "plain"}));
}

TEST_F(HistoryExporterTest, ExportThatCannotBeWrittenWholeKeepsTheOldFileByteForByte)
{
    struct Case {
        const char* name;
        qint64 freeBytes;
        bool syncFails;
        bool newFilesRefused;
        const char* reason;
    };
    const Case cases[] = {
        {"disk full", 100, false, false, "No space left on device"},
        {"flush fails", -1, true, false, "Input/output error"},
        {"folder takes no new files, disk full", 100, false, true, "No space left on device"},
    };
    const QByteArray old = "an earlier export,\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        temp.write(QStringLiteral("short.csv"), old);
        FailingFileIo io;
        io.freeBytes = c.freeBytes;
        io.syncFails = c.syncFails;
        io.newFilesRefused = c.newFilesRefused;
        QString error;
        EXPECT_FALSE(WriteShortLog(history, temp.file(QStringLiteral("short.csv")), &error, u'.', io));
        EXPECT_EQ(temp.read(QStringLiteral("short.csv")), old);
        EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot write file"))) << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << error.toStdString();
    }
}

}  // namespace
