#include "ShutdownScheduler.h"

#include "platform/SystemShutdown.h"

#include <QTime>

ShutdownScheduler::ShutdownScheduler(const ShutdownTime& time, QObject* parent)
    : QObject(parent)
    , m_time(time)
    , m_clock([] { return QDateTime::currentDateTime(); })
    , m_shutdown(shutdownSystem)
{
    m_checkTimer.setInterval(1000);
    connect(&m_checkTimer, &QTimer::timeout, this, &ShutdownScheduler::onTick);
}

void ShutdownScheduler::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

void ShutdownScheduler::setShutdownAction(ShutdownAction action)
{
    m_shutdown = std::move(action);
}

int ShutdownScheduler::secondsUntilShutdown(const QDateTime& now) const
{
    const QTime target(m_time.hour, m_time.minute, 0, 0);
    int seconds = now.time().secsTo(target);
    if (seconds < 0)
        seconds += 86400;
    return seconds;
}

void ShutdownScheduler::updateTimerInterval()
{
    if (!m_time.enabled) {
        m_checkTimer.stop();
        return;
    }
    const int seconds = secondsUntilShutdown(m_clock());
    int interval = 1000;
    if (seconds > 3600)
        interval = 30000;
    else if (seconds > 300)
        interval = 10000;
    else if (seconds > 120)
        interval = 5000;
    if (interval != m_checkTimer.interval())
        m_checkTimer.setInterval(interval);
}

void ShutdownScheduler::start()
{
    if (!m_time.enabled)
        return;
    updateTimerInterval();
    m_checkTimer.start();
}

void ShutdownScheduler::beginWarning()
{
    m_state = Warning;
    m_countdownSeconds = WarningSeconds;
    m_checkTimer.setInterval(1000);
    emit warningStarted(WarningSeconds);
}

void ShutdownScheduler::checkShutdownTime()
{
    const QDateTime now = m_clock();
    const int seconds = secondsUntilShutdown(now);
    // One cycle for the day the set time falls on. A set time of 00:00 warns in
    // the last minute of the day before, and the first second of its own day must
    // not start a second cycle for it.
    const QDate day = now.addSecs(seconds).date();
    if (seconds <= TriggerWindowSeconds && m_lastWarningDate != day) {
        m_lastWarningDate = day;
        beginWarning();
    }
}

void ShutdownScheduler::onTick()
{
    switch (m_state) {
    case Warning:
        if (--m_countdownSeconds > 0)
            return;
        m_state = Idle;
        updateTimerInterval();
        emit shutdownNow();
        m_shutdown();
        return;
    case Postponed:
        if (m_countdownSeconds - 1 > 0) {
            --m_countdownSeconds;
            return;
        }
        beginWarning();
        return;
    case Idle:
        checkShutdownTime();
        if (m_state == Idle)
            updateTimerInterval();
        return;
    }
}

void ShutdownScheduler::postpone()
{
    if (m_state != Warning)
        return;
    m_state = Idle;
    updateTimerInterval();
    m_state = Postponed;
    m_countdownSeconds = PostponeSeconds;
    m_checkTimer.setInterval(1000);
}

void ShutdownScheduler::onSettingsChanged()
{
    if (!m_time.enabled) {
        m_checkTimer.stop();
        m_state = Idle;
        updateTimerInterval();
        m_state = Idle;
        m_lastWarningDate = QDate();
        return;
    }
    if (!m_checkTimer.isActive()) {
        updateTimerInterval();
        m_checkTimer.start();
    }
}
