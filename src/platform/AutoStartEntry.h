#pragma once

#include <QString>
#include <memory>

// The entry that starts the program when the user logs on.
class AutoStartEntry
{
public:
    virtual ~AutoStartEntry() = default;

    // Whether this platform has a log-on start the program can register in.
    virtual bool canAutostart() const = 0;
    // Registers the executable to start at log-on, or removes the registration.
    // Failures go to the warning log only.
    virtual void apply(bool enabled, const QString& executablePath) = 0;
    // Where the registration lives, for a diagnosis.
    virtual QString location() const { return {}; }
};

std::unique_ptr<AutoStartEntry> createAutoStartEntry();
