#include "acquisition/Main.h"
#include "app/Program.h"
#include "common/AppFolder.h"
#include "common/DateTime.h"
#include "common/Prompts.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <exception>

namespace {

void ShowError(const QString& text)
{
    std::fprintf(stderr, "qemra-monitor: %s\n", text.toLocal8Bit().constData());
    QMessageBox::critical(nullptr, QStringLiteral("Qemra-series Monitor"), text);
}

// Every event goes through here, so an error escaping a handler is shown instead of ending the
// program unexplained; the event loop goes on.
class MonitorApplication final : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            ShowError(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            ShowError(QStringLiteral("Unknown error"));
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    MonitorApplication app(argc, argv);
    try {
        qemra::SystemClock clock;
        qemra::QtPrompts prompts;
        qemra::Program program(clock, prompts, qemra::ExecutableFolder());
        prompts.SetParent(&program.Main());
        // The main window alone ends the program; the tool windows may still be open.
        app.setQuitOnLastWindowClosed(false);
        QObject::connect(&program.Main(), &qemra::TMainForm::Closed, &app, &QApplication::quit);
        program.Main().show();
        return app.exec();
    } catch (const std::exception& error) {
        ShowError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowError(QStringLiteral("Unknown error"));
    }
    return 1;
}
