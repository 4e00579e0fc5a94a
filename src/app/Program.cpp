#include "Program.h"

#include "Wiring.h"
#include "i18n/CustomTranslator.h"
#include "i18n/LanguageSwitch.h"
#include "platform/LastInputSource.h"
#include "scheduling/BreakScheduler.h"
#include "settings/SettingsManager.h"
#include "shutdown/ShutdownScheduler.h"
#include "ui/BreakOverlay.h"
#include "ui/SettingsDialog.h"
#include "ui/SystemTrayIcon.h"
#include "ui/WarningDialog.h"

Program::Program()
{
    settings = std::make_unique<SettingsManager>();
    settings->load();
    // The first translator is in place before any window exists.
    applyLanguage(translator, settings.get());

    breakScheduler = std::make_unique<BreakScheduler>(settings.get());
    breakScheduler->setLastInputSource(createLastInputSource(BreakScheduler::IdleLimitMs + 1));
    breakWarning = std::make_unique<WarningDialog>(settings.get());
    breakOverlay = std::make_unique<BreakOverlay>(settings.get());
    shutdownWarning = std::make_unique<WarningDialog>(settings.get());
    shutdownScheduler = std::make_unique<ShutdownScheduler>(settings.get());
    connectBreakScreens(*breakScheduler, *breakWarning, *breakOverlay);
    connectShutdownWarning(*shutdownScheduler, *shutdownWarning);

    settingsDialog = std::make_unique<SettingsDialog>(settings.get());
    // A change of settings reaches the language switch first, then the schedulers,
    // then the tray, so that the tray shows their new state in the new language.
    connectLanguageSwitch(*settings, translator);
    QObject::connect(settings.get(), &SettingsManager::settingsChanged, breakScheduler.get(),
                     &BreakScheduler::onSettingsChanged);
    QObject::connect(settings.get(), &SettingsManager::settingsChanged, shutdownScheduler.get(),
                     &ShutdownScheduler::onSettingsChanged);

    trayIcon = std::make_unique<SystemTrayIcon>(breakScheduler.get(), settings.get(), settingsDialog.get());
    QObject::connect(settings.get(), &SettingsManager::settingsChanged, trayIcon.get(),
                     &SystemTrayIcon::onBreakStateChanged);
}

// The objects go in the reverse order of their creation, after the translator.
Program::~Program()
{
    delete translator;
}

void Program::start()
{
    breakScheduler->start();
    shutdownScheduler->start();
}
