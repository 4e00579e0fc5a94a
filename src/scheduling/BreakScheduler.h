#pragma once

#include "BreakType.h"
#include "platform/Presence.h"
#include "settings/BreakMessages.h"
#include "settings/SettingsValues.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

// Counts working time down to the next break, warns, starts and ends breaks,
// postpones and pauses. One countdown in whole seconds driven by a one-second
// timer; every r-th break (r = long interval / micro interval) is long.
//
// With the idle freeze on, no working second counts while the user is away (idle,
// the session locked, asleep), and a lock or sleep as long as a long break starts
// the working period afresh. A break that falls due while the user must not be
// interrupted (a call, a full-screen program, do-not-disturb) is held: its warning
// comes once that ends, or after the hold's longest time.
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
    // While a break is held, sources that nothing tells are asked this often.
    static constexpr int HoldLookSeconds = 5;

    // Milliseconds of a monotonic clock; only differences are used.
    using Clock = std::function<qint64()>;

    explicit BreakScheduler(const BreakRhythm& rhythm, QObject* parent = nullptr);
    ~BreakScheduler() override;

    // New values take effect at the next use; onSettingsChanged() restarts a
    // working countdown with them.
    void setRhythm(const BreakRhythm& rhythm) { m_rhythm = rhythm; }
    void setBreakMessages(const BreakMessages& messages) { m_messages = messages; }

    // Without one, the user is always at the screen and free. Not owned.
    void setPresence(Presence* presence);
    void setClock(Clock clock);

    void start();
    void stop();
    void pause(int hours);
    // A pause of 1 s or more. One that begins during a warning or a break ends them:
    // the break stays due and comes, with its warning, when the pause ends. One
    // asked for while paused replaces the time left.
    void pauseFor(qint64 seconds);
    void resume();

    bool isRunning() const { return m_running; }
    bool isOnBreak() const { return m_state == OnBreak; }
    BreakType currentBreakType() const { return m_currentBreakType; }
    SchedulerState state() const { return m_state; }
    // Whether the coming break waits, and why (None when it does not).
    bool isHeld() const { return m_holdReason != QuietReason::None; }
    QuietReason holdReason() const { return m_holdReason; }
    int remainingSeconds() const { return m_remainingSeconds; }
    // Seconds left of a pause; -1 unless paused.
    int pauseSecondsLeft() const { return !m_running && m_state == Paused ? m_remainingSeconds : -1; }
    int completedBreaks() const { return m_completedBreaks; }
    // Seconds counted as working time since the scheduler was made (a held break's
    // waiting seconds too; none while the user is away, paused or on a break).
    qint64 workedSeconds() const { return m_workedSeconds; }
    // The length of the countdown now running while working or postponed.
    int periodSeconds() const { return m_state == Postponed ? PostponeSeconds : microInterval(); }

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
    // A warning on screen was taken back: the break is held after all.
    void warningWithdrawn();
    // The timer's wake-up counted its seconds: what shows the times may look again.
    void secondsCounted();

private slots:
    void onTick();
    void onAwayChanged(AwayReason reason);
    void onQuietChanged(QuietReason reason);

private:
    void countSecond();
    void restartTimer();
    void startCycle();
    void warningDue();
    void hold(QuietReason reason);
    void endHold();
    void startAfresh();
    QuietReason holdingReason() const;
    void beginWarning();
    void beginBreak();
    void finishBreak();
    void triggerBreak(BreakType type);
    QString pickMessage(BreakType type) const;
    bool userIsAway() const;
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
    qint64 m_workedSeconds = 0;
    bool m_running = false;
    BreakType m_currentBreakType = Micro;

    Presence* m_presence = nullptr;
    QuietReason m_holdReason = QuietReason::None;
    // Seconds this break has waited so far; from the break's start on, none.
    int m_heldSeconds = 0;
    // A test break comes whatever the user is doing.
    bool m_testBreak = false;
    // When the session was locked or went to sleep, on m_clock.
    std::optional<qint64> m_restStart;
    Clock m_clock;
    // The timer only prompts; seconds are counted against the clock from the moment
    // the timer was last (re)started, so early or late timeouts do not add up.
    qint64 m_periodStart = 0;
    qint64 m_countedSeconds = 0;
    quint64 m_periodGeneration = 0;
};
