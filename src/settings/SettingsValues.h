#pragma once

#include <QColor>

// The settings as their users take them: each gets the values it works with, and
// the program hands it new ones whenever the settings change. Times in seconds.

// The break scheduler's rhythm.
struct BreakRhythm
{
    int microBreakInterval = 0;
    int microBreakDuration = 0;
    int longBreakInterval = 0;
    int longBreakDuration = 0;
    bool postponeEnabled = false;
    bool idlePauseEnabled = false;
    // A break waits while the user must not be interrupted, at most this long.
    bool holdWhenBusy = false;
    int holdMaxMinutes = 0;
};

// How the break screens look and what they offer.
struct BreakLook
{
    QColor backgroundColor;
    bool showOnAllMonitors = false;
    bool postponeEnabled = false;
};

// The daily shutdown clock's time.
struct ShutdownTime
{
    bool enabled = false;
    int hour = 0;
    int minute = 0;
};
