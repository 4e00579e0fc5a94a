#pragma once

class BreakOverlay;
class BreakScheduler;
class CustomTranslator;
class SettingsManager;
class ShutdownScheduler;
class WarningDialog;

// The connections start-up makes between the long-lived objects, in the order in
// which they must run (several receivers of one signal are called in the order of
// their connection).

// The break warning popup and the break overlay follow the break scheduler, and
// Postpone on either goes back to it.
void connectBreakScreens(BreakScheduler& scheduler, WarningDialog& breakWarning, BreakOverlay& overlay);

// The shutdown warning popup counts down to the shutdown, and its Postpone delays it.
void connectShutdownWarning(ShutdownScheduler& scheduler, WarningDialog& shutdownWarning);

// A change of settings first switches the language (when it changed), so that
// every window has its new texts before anyone else reacts. `translator` is the
// installed translator and must outlive the settings store's connections.
void connectLanguageSwitch(SettingsManager& settings, CustomTranslator*& translator);
