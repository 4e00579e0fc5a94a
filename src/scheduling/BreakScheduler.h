#pragma once

#include "BreakType.h"
#include "settings/BreakMessages.h"
#include "settings/SettingsValues.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <limits>
#include <memory>

class LastInputSource;

// Counts working time down to the next break, warns, starts and ends breaks,
// postpones and pauses. One countdown in whole seconds driven by a one-second
// timer; every r-th break (r = long interval / micro interval) is long.
class BreakScheduler : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isRunning READ isRunning NOTIFY runningChanged)
    Q_PROPERTY(bool isOnBreak READ isOnBreak NOTIFY breakStateChanged)
    Q_PROPERTY(BreakType currentBreakType READ currentBreakType NOTIFY breakStateChanged)

public:
    enum SchedulerState : qint32 { Working = 0, Warning = 1, OnBreak = 2, Postponed = 3, Paused = 4 };
    Q_ENUM(SchedulerState)

    static constexpr int WarningSeconds = 10;
    static constexpr int PostponeSeconds = 300;
    static constexpr qint64 IdleLimitMs = 299999;

    // Milliseconds of a monotonic clock; only differences are used.
    using Clock = std::function<qint64()>;

    explicit BreakScheduler(const BreakRhythm& rhythm, QObject* parent = nullptr);
    ~BreakScheduler() override;

    // New values take effect at the next use; onSettingsChanged() restarts a
    // working countdown with them.
    void setRhythm(const BreakRhythm& rhythm) { m_rhythm = rhythm; }
    void setBreakMessages(const BreakMessages& messages) { m_messages = messages; }

    // Without one, the idle freeze is off.
    void setLastInputSource(std::unique_ptr<LastInputSource> source);
    void setClock(Clock clock);

    void start();
    void stop();
    void pause(int hours);
    void resume();

    bool isRunning() const { return m_running; }
    bool isOnBreak() const { return m_state == OnBreak; }
    BreakType currentBreakType() const { return m_currentBreakType; }
    SchedulerState state() const { return m_state; }
    int remainingSeconds() const { return m_remainingSeconds; }
    int completedBreaks() const { return m_completedBreaks; }

    int secondsUntilNextMicroBreak() const;
    int secondsUntilNextLongBreak() const;

    Q_INVOKABLE void postponeBreak();
    Q_INVOKABLE void onSettingsChanged();
    Q_INVOKABLE void triggerMicroBreak();
    Q_INVOKABLE void triggerLongBreak();

signals:
    void warningStarted(BreakType type, int seconds);
    void breakStarted(BreakType type, QString message, int durationSeconds);
    void breakFinished(BreakType type);
    void runningChanged();
    void breakStateChanged();

private slots:
    void onTick();

private:
    void countSecond();
    void restartTimer();
    void startCycle();
    void beginWarning();
    void beginBreak();
    void finishBreak();
    void triggerBreak(BreakType type);
    QString pickMessage(BreakType type) const;
    bool userIsIdle();
    int microInterval() const;
    int breaksPerLongBreak() const;
    bool isLongBreakNumber(int n) const;
    struct NextBreak
    {
        qint64 seconds;
        int number;
        BreakType type;
    };
    NextBreak nextBreak() const;

    BreakRhythm m_rhythm;
    BreakMessages m_messages;
    QTimer m_timer;
    SchedulerState m_state = Working;
    SchedulerState m_savedState = Working;
    int m_remainingSeconds = 0;
    int m_savedRemainingSeconds = 0;
    int m_completedBreaks = 0;
    bool m_running = false;
    BreakType m_currentBreakType = Micro;

    std::unique_ptr<LastInputSource> m_lastInput;
    Clock m_clock;
    // The timer only prompts; seconds are counted against the clock from the moment
    // the timer was last (re)started, so early or late timeouts do not add up.
    qint64 m_periodStart = 0;
    qint64 m_countedSeconds = 0;
    quint64 m_periodGeneration = 0;
    // No idle-time query is needed before this time of m_clock.
    qint64 m_idleQueryDue = std::numeric_limits<qint64>::min();
};
