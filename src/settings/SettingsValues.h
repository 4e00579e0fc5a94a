#pragma once

#include <QColor>

// The settings as their users take them: each gets the values it works with, and
// the program hands it new ones whenever the settings change. Times in seconds.

// The break scheduler's rhythm.
struct BreakRhythm
{
    int microBreakInterval;
    int microBreakDuration;
    int longBreakInterval;
    int longBreakDuration;
    bool postponeEnabled;
    bool idlePauseEnabled;
};

// How the break screens look and what they offer.
struct BreakLook
{
    QColor backgroundColor;
    bool showOnAllMonitors;
    bool postponeEnabled;
};

// The daily shutdown clock's time.
struct ShutdownTime
{
    bool enabled;
    int hour;
    int minute;
};
