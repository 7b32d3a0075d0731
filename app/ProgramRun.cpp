#include "app/ProgramRun.h"

#include "windows/main/MainWindow.h"
#include "app/EndSignals.h"
#include "app/Program.h"
#include "common/AppFolder.h"
#include "publish/SecretFile.h"
#include "survey/SurveyRun.h"

#include <QApplication>
#include <QCoreApplication>
#include <QScopeGuard>
#include <QTextStream>

#include <cstdio>


namespace qemra {

int RunProgram(const Clock& clock, Prompts& prompts, const QString& baseFolder, EndSignals& endSignals,
               const std::function<void(Program&)>& created)
{
    // As ssh does for a key others can read; the window program has no log but its standard error.
    if (const QString warning = ReadableSecretWarning(PublishIniPath(baseFolder)); !warning.isEmpty())
        std::fprintf(stderr, "qemra-monitor: %s\n", warning.toLocal8Bit().constData());
    Program program(clock, prompts, baseFolder);
    // Ended while the windows were being made: they go again without being shown, saving what
    // they save at the end of any run.
    if (endSignals.Received())
        return 0;
    if (created)
        created(program);
    // The main window alone ends the program; the tool windows may still be open.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&program.Main(), &TMainForm::Closed, qApp, &QApplication::quit);
    endSignals.OnSignal = [&program] {
        program.Main().close();
        QApplication::quit();
    };
    const auto forget = qScopeGuard([&endSignals] { endSignals.OnSignal = nullptr; });
    program.Main().show();
    return QApplication::exec();
}

int RunSurveySummaryCommand(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    // The folder is only read here: it is not created when missing.
    return RunSurveySummary(QCoreApplication::arguments().mid(1), RunningAppLocation().baseFolder, out, err);
}

}  // namespace qemra
