#include "Startup.h"

#include "SingleInstance.h"
#include "Wiring.h"
#include "i18n/CustomTranslator.h"
#include "i18n/LanguageSwitch.h"
#include "platform/TrayWait.h"
#include "scheduling/BreakScheduler.h"
#include "settings/SettingsManager.h"
#include "shutdown/ShutdownScheduler.h"
#include "ui/BreakOverlay.h"
#include "ui/SettingsDialog.h"
#include "ui/SystemTrayIcon.h"
#include "ui/WarningDialog.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QIcon>
#include <QLocalServer>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

void loadStyleSheet(QApplication& app)
{
    QFile file(QStringLiteral(":/resources/style.qss"));
    if (file.open(QIODevice::ReadOnly | QIODevice::Text))
        app.setStyleSheet(QString::fromUtf8(file.readAll()));
}

// Whether a system tray is there, or comes within waitMs; checked four times a
// second while the event loop keeps answering the single-instance channel.
bool waitForSystemTray(int waitMs)
{
    const QDeadlineTimer deadline(waitMs);
    while (!QSystemTrayIcon::isSystemTrayAvailable()) {
        if (deadline.hasExpired())
            return false;
        QEventLoop loop;
        QTimer::singleShot(250, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

} // namespace

int runRespiteKeeper(int& argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("RespiteKeeper"));
    QApplication::setOrganizationName(QStringLiteral("RespiteKeeper"));
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance(instanceChannel(QString::fromLatin1(SingleInstance::ServerName)));
    if (instance.claim(&app) != SingleInstance::Outcome::Primary)
        return 0;
    QLocalServer* server = instance.server();
    QObject::connect(
        server, &QLocalServer::newConnection, server, [server] { handleShowRequest(server); }, Qt::DirectConnection);

    loadStyleSheet(app);
    // Named as an icon file, so that reading it loads no other image plugin.
    QApplication::setWindowIcon(QIcon(QPixmap(QStringLiteral(":/RespiteKeeper.ico"), "ico")));

    if (!waitForSystemTray(systemTrayWaitMs()))
        return 1;

    // The long-lived objects, in the order of creation. They live until the event
    // loop ends and are destroyed in the reverse order when this scope closes.
    CustomTranslator* s_translator = nullptr; // the installed translator; the language switch replaces it
    SettingsManager settings;
    settings.load();

    // The first translator is in place before any window exists.
    applyLanguage(s_translator, &settings);

    BreakScheduler breakScheduler(&settings);
    WarningDialog breakWarning(&settings);
    BreakOverlay breakOverlay(&settings);
    WarningDialog shutdownWarning(&settings);
    ShutdownScheduler shutdownScheduler(&settings);

    connectBreakScreens(breakScheduler, breakWarning, breakOverlay);
    connectShutdownWarning(shutdownScheduler, shutdownWarning);

    SettingsDialog settingsDialog(&settings);
    connectLanguageSwitch(settings, s_translator);
    QObject::connect(&settings, &SettingsManager::settingsChanged, &breakScheduler, &BreakScheduler::onSettingsChanged);
    QObject::connect(&settings, &SettingsManager::settingsChanged, &shutdownScheduler,
                     &ShutdownScheduler::onSettingsChanged);

    SystemTrayIcon trayIcon(&breakScheduler, &settings, &settingsDialog);
    // After the schedulers, so that the tray shows their new state and texts.
    QObject::connect(&settings, &SettingsManager::settingsChanged, &trayIcon, &SystemTrayIcon::onBreakStateChanged);

    breakScheduler.start();
    shutdownScheduler.start();
    const int result = app.exec();
    delete s_translator;
    return result;
}
