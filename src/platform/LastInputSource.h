#pragma once

#include <QString>
#include <functional>
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

    // Whether the system tells this source of each change, so that the answer needs
    // asking only then; the rest must be asked.
    virtual bool isTold() const { return false; }
    // Called after each notice of a told source.
    void onNotice(std::function<void()> notice) { m_notice = std::move(notice); }

protected:
    void noticed()
    {
        if (m_notice)
            m_notice();
    }

private:
    std::function<void()> m_notice;
};

// The best source the session offers, for a user counted as away once the idle time
// reaches awayAfterMs. The choice goes to the log.
std::unique_ptr<LastInputSource> createLastInputSource(qint64 awayAfterMs);
