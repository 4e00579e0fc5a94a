#include "Wiring.h"

#include "i18n/LanguageSwitch.h"
#include "scheduling/BreakScheduler.h"
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
    QObject::connect(&scheduler, &BreakScheduler::breakStarted, &overlay, &BreakOverlay::showBreak);
    QObject::connect(&scheduler, &BreakScheduler::breakFinished, &overlay, &BreakOverlay::hideBreak);
    QObject::connect(&breakWarning, &WarningDialog::postponeRequested, &scheduler, &BreakScheduler::postponeBreak);
    QObject::connect(&overlay, &BreakOverlay::postponeRequested, &scheduler, &BreakScheduler::postponeBreak);
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
                     [&translator, store] { applyLanguage(translator, store); });
}
