#include "Program.h"

#include "ControlRequests.h"
#include "RemoteControl.h"
#include "Wiring.h"
#include "history/HistoryRecorder.h"
#include "i18n/CustomTranslator.h"
#include "i18n/LanguageSwitch.h"
#include "platform/AutoStartEntry.h"
#include "platform/BreakSound.h"
#include "platform/ControlBus.h"
#include "platform/Presence.h"
#include "scheduling/BreakScheduler.h"
#include "settings/SettingsManager.h"
#include "shutdown/ShutdownScheduler.h"
#include "ui/BreakOverlay.h"
#include "ui/SettingsDialog.h"
#include "ui/SystemTrayIcon.h"
#include "ui/WarningDialog.h"

#include <QCoreApplication>

Program::Program()
{
    settings = std::make_unique<SettingsManager>();
    autoStartEntry = createAutoStartEntry();
    loadSettings(*settings, *autoStartEntry);
    // The first translator is in place before any window exists.
    applyLanguage(translator, settings->language());

    breakSound = createBreakSound();
    breakScheduler = std::make_unique<BreakScheduler>(settings->breakRhythm());
    presence = createPresence(BreakScheduler::IdleLimitMs + 1);
    breakScheduler->setPresence(presence.get());
    history = std::make_unique<HistoryRecorder>(*breakScheduler, HistoryFile::defaultPath());
    breakWarning = std::make_unique<WarningDialog>();
    breakWarning->setPostponeEnabled(settings->postponeEnabled());
    breakOverlay = std::make_unique<BreakOverlay>(settings->breakLook());
    shutdownWarning = std::make_unique<WarningDialog>();
    shutdownScheduler = std::make_unique<ShutdownScheduler>(settings->shutdownTime());
    connectBreakScreens(*breakScheduler, *breakWarning, *breakOverlay);
    connectBreakSound(*settings, *breakScheduler, *breakSound);
    connectShutdownWarning(*shutdownScheduler, *shutdownWarning);
    connectBreakMessages(*settings, *breakScheduler, *breakOverlay);

    settingsDialog = std::make_unique<SettingsDialog>(settings.get());
    // A change of settings reaches the language switch first, then the schedulers,
    // then the tray, so that the tray shows their new state in the new language.
    connectLanguageSwitch(*settings, translator);
    connectSettingsReaders(*settings, *breakScheduler, *breakWarning, *breakOverlay, *shutdownScheduler);

    trayIcon = std::make_unique<SystemTrayIcon>(breakScheduler.get(), settingsDialog.get());
    QObject::connect(settings.get(), &SettingsManager::settingsChanged, trayIcon.get(),
                     &SystemTrayIcon::onBreakStateChanged);

    remoteControl = std::make_unique<RemoteControl>(*breakScheduler, &showSettingsWindow, &QCoreApplication::quit);
    controlBus = offerControlOnBus(*remoteControl);
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
