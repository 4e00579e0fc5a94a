#pragma once

#include "scheduling/StatusReport.h"

#include <QObject>
#include <QString>
#include <functional>

class BreakScheduler;

// What other programs may ask of the running copy: the commands of the command
// line and of the session bus, under the same rules and with the same answers.
class RemoteControl : public QObject
{
    Q_OBJECT

public:
    // A pause may be asked for up to a day.
    static constexpr qint64 MaxPauseSeconds = 24 * 3600;

    // The outcome of a command: done, or refused with a line that says why, for a
    // bad argument or because it cannot be done now.
    struct Result
    {
        bool done = true;
        QString why;
        bool badArgument = false;
    };

    RemoteControl(BreakScheduler& scheduler, std::function<void()> showSettings, std::function<void()> quit,
                  QObject* parent = nullptr);

    // Pauses the breaks for 1 s to MaxPauseSeconds, as the tray's entry does; a
    // pause asked for while paused replaces the time left.
    Result pause(qint64 seconds);
    Result resume();
    // "micro" or "long": the break the tray's test entries start, its warning first.
    Result takeBreak(const QString& kind);
    Result showSettings();
    // Quits once the event loop runs again, so that the answer goes out first.
    Result quit();

    // The state as other programs see it: working, warning, break, postponed,
    // paused or held.
    QString state() const;
    StatusReport status(StatusReport::Detail detail) const;
    StatusKey statusKey() const;
    // Whether timesChanged() is told; off, the scheduler's wake-ups pass unseen.
    void watchTimes(bool watch);

signals:
    // The state changed (once per change, never with the clock).
    void stateChanged(const QString& state);
    // The times may have changed: once in each of the scheduler's wake-ups, while
    // they are watched.
    void timesChanged();

private:
    void checkState();

    BreakScheduler& m_scheduler;
    std::function<void()> m_showSettings;
    std::function<void()> m_quit;
    QString m_state;
    QMetaObject::Connection m_times;
};
