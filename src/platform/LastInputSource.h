#pragma once

#include <QString>
#include <memory>
#include <optional>

// How long the user has left keyboard and mouse alone.
class LastInputSource
{
public:
    virtual ~LastInputSource() = default;

    // Whether this desktop can tell the idle time at all.
    virtual bool canDetectIdle() = 0;
    // Milliseconds since the last keyboard or mouse input, or nothing when unknown.
    virtual std::optional<qint64> millisecondsSinceLastInput() = 0;
    // Where the idle time comes from, for the log and a diagnosis.
    virtual QString description() const { return {}; }
};

// The best source the session offers, for a user counted as away once the idle time
// reaches awayAfterMs. The choice goes to the log.
std::unique_ptr<LastInputSource> createLastInputSource(qint64 awayAfterMs);
