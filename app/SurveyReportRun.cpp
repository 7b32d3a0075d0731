#include "app/SurveyReportRun.h"

#include "acquisition/Records.h"
#include "common/AppFolder.h"
#include "report/SurveyReportCommand.h"
#include "translations/UiTranslation.h"

#include <QGuiApplication>
#include <QTextStream>

namespace qemra {

bool WantsSurveyReport(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return WantsSurveyReport(args);
}

int RunSurveyReportCommand(int argc, char** argv)
{
    // The pages need fonts, not a screen: the off-screen platform has both everywhere.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // The pages speak the screens' language, as the calibration certificate does; the files'
    // numbers and the sidecar do not change with it.
    const auto translation = InstallUiTranslation(SystemUiLanguage());
    QTextStream out(stdout);
    QTextStream err(stderr);
    return RunSurveyReport(QCoreApplication::arguments().mid(1), RunningAppLocation().baseFolder,
                           QStringLiteral("Qemra-series Monitor Ver.") + AppVersion, out, err);
}

}  // namespace qemra
