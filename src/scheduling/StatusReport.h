#pragma once

#include <QByteArray>
#include <QString>

#include "platform/Presence.h"
#include <optional>

class BreakScheduler;

// The break scheduler's state as a status line or a panel shows it, in the
// user's language.
struct StatusReport
{
    // Seconds as the tray's tooltip shows them, or whole minutes, which change at
    // most once a minute (for a line that is printed again at each change).
    enum class Detail { Seconds, Minutes };

    QString state;                     // working, warning, break, postponed, paused or held
    std::optional<int> nextMicroBreak; // seconds; none while paused
    std::optional<int> nextLongBreak;
    std::optional<int> pauseLeft; // seconds; only while paused
    QString heldReason;           // empty unless held
    QString text;                 // short, for a panel
    QString tooltip;              // the tray's tooltip, its lines
    int percentage = 0;           // of the working period done

    // One JSON object on one line, with waybar's fields text, tooltip, class and
    // percentage besides the figures.
    QByteArray toJson() const;
    // One line: the state and the times to the next breaks.
    QString toLine() const;
};

// What a following client is shown again only when it changes: the state, why a
// break is held, and the whole minutes of the text, so a line a minute at most
// while the state stays. Cheap to take: no text is made for it.
struct StatusKey
{
    QString state;
    QuietReason reason = QuietReason::None;
    int minutes = 0;
    bool operator==(const StatusKey& other) const
    {
        return state == other.state && reason == other.reason && minutes == other.minutes;
    }
    bool operator!=(const StatusKey& other) const { return !(*this == other); }
};

StatusKey statusKey(const BreakScheduler& scheduler);

StatusReport statusReport(const BreakScheduler& scheduler, StatusReport::Detail detail);
// The state alone: working, warning, break, postponed, paused or held.
QString statusState(const BreakScheduler& scheduler);
// The tray's tooltip alone: the first line (the program, or why a break is held)
// and the times to the next breaks.
QString statusTooltip(const BreakScheduler& scheduler, StatusReport::Detail detail);
