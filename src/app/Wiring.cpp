#include "Wiring.h"

#include "i18n/LanguageSwitch.h"
#include "platform/AutoStartEntry.h"
#include "platform/BreakSound.h"
#include "scheduling/BreakScheduler.h"
#include "settings/BreakMessages.h"
#include "settings/SettingsManager.h"
#include "shutdown/ShutdownScheduler.h"
#include "ui/BreakOverlay.h"
#include "ui/WarningDialog.h"

#include <QCoreApplication>

void connectBreakScreens(BreakScheduler& scheduler, WarningDialog& breakWarning, BreakOverlay& overlay)
{
    QObject::connect(&scheduler, &BreakScheduler::warningStarted, &breakWarning, &WarningDialog::showWarning);
    // The popup hides before the overlay shows.
    QObject::connect(&scheduler, &BreakScheduler::breakStarted, &breakWarning, &WarningDialog::hideWarning);
    QObject::connect(&scheduler, &BreakScheduler::warningWithdrawn, &breakWarning, &WarningDialog::hideWarning);
    QObject::connect(&scheduler, &BreakScheduler::breakStarted, &overlay, &BreakOverlay::showBreak);
    QObject::connect(&scheduler, &BreakScheduler::breakFinished, &overlay, &BreakOverlay::hideBreak);
    QObject::connect(&breakWarning, &WarningDialog::postponeRequested, &scheduler, &BreakScheduler::postponeBreak);
    QObject::connect(&overlay, &BreakOverlay::postponeRequested, &scheduler, &BreakScheduler::postponeBreak);
}

void connectBreakSound(const SettingsManager& settings, BreakScheduler& scheduler, BreakSound& sound)
{
    const auto play = [store = &settings, player = &sound](BreakSound::Event event) {
        if (store->breakSoundEnabled())
            player->play(event);
    };
    QObject::connect(&scheduler, &BreakScheduler::breakStarted, &scheduler,
                     [play] { play(BreakSound::Event::BreakStarted); });
    // A break that ran its time is over by then; one ended early is not, or has
    // become a postponement or a pause.
    QObject::connect(&scheduler, &BreakScheduler::breakFinished, &scheduler, [play, breaks = &scheduler] {
        if (breaks->state() == BreakScheduler::Working)
            play(BreakSound::Event::BreakEnded);
    });
}

void connectShutdownWarning(ShutdownScheduler& scheduler, WarningDialog& shutdownWarning)
{
    QObject::connect(&scheduler, &ShutdownScheduler::warningStarted, &shutdownWarning,
                     &WarningDialog::showShutdownWarning);
    QObject::connect(&shutdownWarning, &WarningDialog::postponeRequested, &scheduler, &ShutdownScheduler::postpone);
}

void connectLanguageSwitch(SettingsManager& settings, CustomTranslator*& translator)
{
    SettingsManager* store = &settings;
    QObject::connect(store, &SettingsManager::settingsChanged, QCoreApplication::instance(),
                     [&translator, store] { applyLanguage(translator, store->language()); });
}

void connectSettingsReaders(SettingsManager& settings, BreakScheduler& scheduler, WarningDialog& breakWarning,
                            BreakOverlay& overlay, ShutdownScheduler& shutdownScheduler)
{
    const SettingsManager* store = &settings;
    BreakScheduler* breaks = &scheduler;
    WarningDialog* popup = &breakWarning;
    BreakOverlay* screen = &overlay;
    ShutdownScheduler* shutdown = &shutdownScheduler;
    QObject::connect(store, &SettingsManager::settingsChanged, breaks, [=] {
        popup->setPostponeEnabled(store->postponeEnabled());
        screen->setLook(store->breakLook());
        breaks->setRhythm(store->breakRhythm());
        breaks->onSettingsChanged();
        shutdown->setShutdownTime(store->shutdownTime());
        shutdown->onSettingsChanged();
    });
}

void connectBreakMessages(SettingsManager& settings, BreakScheduler& scheduler, BreakOverlay& overlay)
{
    const auto handOut = [breaks = &scheduler, screen = &overlay](const QString& language) {
        const BreakMessages messages = BreakMessages::forLanguage(SettingsManager::effectiveLanguage(language));
        breaks->setBreakMessages(messages);
        screen->setBreakMessages(messages);
    };
    handOut(settings.language());
    QObject::connect(&settings, &SettingsManager::languageChanged, &scheduler, handOut);
}

void loadSettings(SettingsManager& settings, AutoStartEntry& entry)
{
    const auto apply = [target = &entry](bool enabled) {
        target->apply(enabled, QCoreApplication::applicationFilePath());
    };
    if (settings.load() == SettingsManager::LoadResult::Read)
        apply(settings.autoStartAtBoot());
    QObject::connect(&settings, &SettingsManager::autoStartChanged, &settings, apply);
}
