#include "Startup.h"

#include "CommandLine.h"
#include "ControlRequests.h"
#include "Program.h"
#include "RemoteControl.h"
#include "SingleInstance.h"
#include "platform/TrayWait.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QPixmap>

namespace {

// This copy could neither run nor hand over to a running one.
constexpr int StartFailedExitCode = 4;

void loadStyleSheet(QApplication& app)
{
    QFile file(QStringLiteral(":/resources/style.qss"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QString sheet = QString::fromUtf8(file.readAll());
#ifdef RK_WITHOUT_SVG
    // Built without an SVG reader: the check mark drawn at build time.
    sheet.replace(QLatin1String(":/icons/check-white.svg"), QLatin1String(":/icons/check-white.png"));
#endif
    app.setStyleSheet(sheet);
}

// Whether a system tray is there, or comes within waitMs, while the event loop keeps
// answering the single-instance channel.
bool waitForSystemTray(int waitMs)
{
    if (awaitSystemTray(waitMs))
        return true;
    qWarning("No system tray within %d s (neither an X11 tray nor a StatusNotifier host on the session bus); "
             "RespiteKeeper needs one and quits",
             waitMs / 1000);
    return false;
}

} // namespace

int runRespiteKeeper(int& argc, char** argv)
{
    if (const std::optional<int> code = runCommandLineOption(argc, argv))
        return *code;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("RespiteKeeper"));
    QApplication::setOrganizationName(QStringLiteral("RespiteKeeper"));
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance(instanceChannel(QString::fromLatin1(SingleInstance::ServerName)));
    switch (instance.claim()) {
    case SingleInstance::Outcome::HandedOver:
        return 0;
    case SingleInstance::Outcome::Failed:
        // Qt's log is the standard error here: one line for both.
        qCritical("RespiteKeeper cannot start: %s", qUtf8Printable(instance.errorString()));
        return StartFailedExitCode;
    case SingleInstance::Outcome::Primary:
        break;
    }
    // Until the program is up, requests for the settings (a second start) work, and
    // commands are told to try again.
    ControlRequests requests(*instance.server());
    // Before the program's objects go: a copy starting now must not hand over to this one.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, instance.server(), [&instance] { instance.release(); });

    loadStyleSheet(app);
    // Named as an icon file, so that fewer image plugins are tried on it.
    QApplication::setWindowIcon(QIcon(QPixmap(QStringLiteral(":/RespiteKeeper.ico"), "ico")));

    if (!waitForSystemTray(systemTrayWaitMs()))
        return 1;

    Program program;
    requests.setControl(program.remoteControl.get());
    program.start();
    return app.exec();
}
