#include "report/CalReportPdf.h"
#include "translations/UiTranslation.h"

#include "tests/support/PdfTools.h"
#include "tests/support/TempFolder.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace qemra;

namespace {

bool HasCjk(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x2E80 && u <= 0x30FF) || (u >= 0x3400 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

// A finished calibration whose own values hold no Japanese, so every Japanese word on the page
// would be one of the certificate's fixed texts.
CalReport Finished()
{
    CalReport r;
    r.SerialNo = QStringLiteral("A123");
    r.Model = QStringLiteral("3.10");
    r.Version = QStringLiteral("1.05");
    r.Started = QStringLiteral("2024/03/05 14:07:00");
    r.Finished = QStringLiteral("2024/03/05 14:11:23");
    r.Program = QStringLiteral("Qemra-series Monitor Ver.0.82");
    r.ReferenceTemperature = QStringLiteral("Sensor mean 24.533 ℃");
    r.ReferenceWindSpeed = QStringLiteral("AdjWS = 5.00 m/s");
    r.Tolerance = QStringLiteral("±0.25 % (4.9875 to 5.0125 m/s)");
    r.Values = {{"E16", "Air temp correction 1", "℃", "0.000", "-0.412"}};
    r.Channels = {QStringLiteral("Air speed")};
    CalReportStage confirmed;
    confirmed.Name = QStringLiteral("Confirm N m/s");
    confirmed.ConfirmedAt = QStringLiteral("14:10:55");
    confirmed.Rows = {{"5.001", "5.000", "4.999", "0.002"}};
    CalReportStage open;
    open.Name = QStringLiteral("Confirm 0 m/s");
    r.Stages = {confirmed, open};
    r.Average5 = QStringLiteral("5.003");
    r.Average15 = QStringLiteral("5.001");
    r.Deviation5 = QStringLiteral("+0.060");
    r.Deviation15 = QStringLiteral("+0.020");
    r.Passed = true;
    return r;
}

TEST(EnglishCertificateTest, FollowsTheScreensLanguageWithItsNumbersUnchanged)
{
    const auto translation = InstallUiTranslation(UiLanguage::English);
    ASSERT_NE(translation, nullptr);
    TempFolder folder;
    const QString path = folder.path() + QStringLiteral("/A123_Report.pdf");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(CalReportPdf(Finished()));
    file.close();

    const QString text = PdfText(path);
    ASSERT_FALSE(text.isEmpty());
    EXPECT_FALSE(HasCjk(text)) << text.toStdString();
    // The text extractor gives the "fi" ligature of the font as one character.
    const QString plain = QString(text).replace(QChar(0xFB01), QStringLiteral("fi"));
    for (const char* expected : {"Calibration Certificate", "Reference conditions", "PASS",
                                 "Confirm 0 m/s (not confirmed)", "-0.412", "5.003", "+0.020", "4.9875"})
        EXPECT_TRUE(plain.contains(QString::fromUtf8(expected))) << expected;
}

TEST(LanguageOptionTest, RefusesALanguageOtherThanJaOrEnBeforeAnyWindow)
{
    for (const QStringList& arguments :
         {QStringList{"--lang", "fr"}, QStringList{"--lang"}, QStringList{"--lang=EN"}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        QProcess monitor;
        monitor.start(QStringLiteral(QEMRA_MONITOR_PATH), arguments);
        ASSERT_TRUE(monitor.waitForFinished(10000));
        EXPECT_EQ(monitor.exitCode(), 2);
        // A value that is no language is named; a missing one is said by the option parser.
        const QByteArray said = monitor.readAllStandardError();
        EXPECT_TRUE(said.contains("--lang takes ja or en") || said.contains("Missing value after '--lang'")) << said.constData();
    }
}

}  // namespace
