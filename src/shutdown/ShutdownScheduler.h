#pragma once

#include "settings/SettingsValues.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <functional>

// Shuts the computer down once a day at the set time: a check timer that runs
// faster as the time nears, a 20-second warning that may be postponed by five
// minutes any number of times, then the system shutdown.
class ShutdownScheduler : public QObject
{
    Q_OBJECT

public:
    enum ShutdownState : qint32 { Idle = 0, Warning = 1, Postponed = 2 };
    Q_ENUM(ShutdownState)

    static constexpr int WarningSeconds = 20;
    static constexpr int PostponeSeconds = 300;
    static constexpr int TriggerWindowSeconds = 59;

    using Clock = std::function<QDateTime()>;
    using ShutdownAction = std::function<void()>;

    explicit ShutdownScheduler(const ShutdownTime& time, QObject* parent = nullptr);

    // Taken up by onSettingsChanged().
    void setShutdownTime(const ShutdownTime& time) { m_time = time; }

    // The wall clock and the shutdown itself; tests replace both.
    void setClock(Clock clock);
    void setShutdownAction(ShutdownAction action);

    void start();

    ShutdownState state() const { return m_state; }
    int countdownSeconds() const { return m_countdownSeconds; }
    QDate lastWarningDate() const { return m_lastWarningDate; }
    bool isChecking() const { return m_checkTimer.isActive(); }
    int checkInterval() const { return m_checkTimer.interval(); }

signals:
    void warningStarted(int seconds);
    void shutdownNow();

public slots:
    void onSettingsChanged();
    void postpone();

private slots:
    void onTick();

private:
    int secondsUntilShutdown(const QDateTime& now) const;
    void updateTimerInterval();
    void checkShutdownTime();
    void beginWarning();

    ShutdownTime m_time;
    QTimer m_checkTimer;
    ShutdownState m_state = Idle;
    int m_countdownSeconds = 0;
    QDate m_lastWarningDate;
    Clock m_clock;
    ShutdownAction m_shutdown;
};
