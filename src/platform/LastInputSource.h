#pragma once

#include <QtGlobal>
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
};

// The implementation for the platform the program was built for.
std::unique_ptr<LastInputSource> createLastInputSource();
