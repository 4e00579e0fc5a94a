#pragma once

class AutoStartEntry;
class BreakOverlay;
class BreakScheduler;
class BreakSound;
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

// While its setting is on, a sound at each break's start and at the end of a break
// that ran its time. A break the user ends (Postpone, a pause, a test break in its
// place) ends without one: the user is at the screen and knows.
void connectBreakSound(const SettingsManager& settings, BreakScheduler& scheduler, BreakSound& sound);

// The shutdown warning popup counts down to the shutdown, and its Postpone delays it.
void connectShutdownWarning(ShutdownScheduler& scheduler, WarningDialog& shutdownWarning);

// A change of settings first switches the language (when it changed), so that
// every window has its new texts before anyone else reacts. `translator` is the
// installed translator and must outlive the settings store's connections.
void connectLanguageSwitch(SettingsManager& settings, CustomTranslator*& translator);

// At a change of settings the schedulers and the break screens get their new
// values, and the schedulers take them up.
void connectSettingsReaders(SettingsManager& settings, BreakScheduler& scheduler, WarningDialog& breakWarning,
                            BreakOverlay& overlay, ShutdownScheduler& shutdownScheduler);

// The break scheduler and the break screen get the break messages of the language
// now and whenever the language setting changes.
void connectBreakMessages(SettingsManager& settings, BreakScheduler& scheduler, BreakOverlay& overlay);

// Loads the settings; the log-on entry follows its setting from then on: at once
// where the stored settings could be read (never from defaults that stand in for a
// file that could not), and at each change of the setting.
void loadSettings(SettingsManager& settings, AutoStartEntry& entry);
