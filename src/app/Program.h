#pragma once

#include <memory>

class AutoStartEntry;
class BreakOverlay;
class BreakScheduler;
class BreakSound;
class CustomTranslator;
class HistoryRecorder;
class Presence;
class QObject;
class RemoteControl;
class SettingsDialog;
class SettingsManager;
class ShutdownScheduler;
class SystemTrayIcon;
class WarningDialog;

// The program's long-lived objects. The constructor creates them in this order,
// none with a Qt parent, and connects them; they are destroyed in the reverse
// order. Nothing runs until start().
struct Program
{
    Program();
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Starts the break scheduler, then the shutdown scheduler.
    void start();

    CustomTranslator* translator = nullptr; // the installed one; the language switch replaces it
    std::unique_ptr<SettingsManager> settings;
    std::unique_ptr<AutoStartEntry> autoStartEntry;
    // Before the scheduler, which plays it: it goes after the scheduler.
    std::unique_ptr<BreakSound> breakSound;
    // Before the scheduler, which watches it: it goes after the scheduler.
    std::unique_ptr<Presence> presence;
    std::unique_ptr<BreakScheduler> breakScheduler;
    // Goes before the scheduler: a break still on screen is written as cut short.
    std::unique_ptr<HistoryRecorder> history;
    std::unique_ptr<WarningDialog> breakWarning;
    std::unique_ptr<BreakOverlay> breakOverlay;
    std::unique_ptr<WarningDialog> shutdownWarning;
    std::unique_ptr<ShutdownScheduler> shutdownScheduler;
    std::unique_ptr<SettingsDialog> settingsDialog;
    std::unique_ptr<SystemTrayIcon> trayIcon;
    // What other programs may ask: through the command line's channel and the bus.
    std::unique_ptr<RemoteControl> remoteControl;
    std::unique_ptr<QObject> controlBus;
};
