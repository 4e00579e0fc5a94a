#pragma once

#include <QString>
#include <memory>

// A short sound of the desktop's own when a break begins and when it ends.
class BreakSound
{
public:
    enum class Event { BreakStarted, BreakEnded };

    virtual ~BreakSound() = default;

    // Starts the event's sound and returns at once. Where no sound can be played,
    // the log says why once; nothing else happens.
    virtual void play(Event event) = 0;
    // How the sounds are played, or why they cannot be, for a diagnosis.
    virtual QString description() const = 0;
};

std::unique_ptr<BreakSound> createBreakSound();
