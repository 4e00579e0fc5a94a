#include "RemoteControl.h"

#include "scheduling/BreakScheduler.h"

#include <QTimer>
#include <utility>

RemoteControl::RemoteControl(BreakScheduler& scheduler, std::function<void()> showSettings, std::function<void()> quit,
                             QObject* parent)
    : QObject(parent)
    , m_scheduler(scheduler)
    , m_showSettings(std::move(showSettings))
    , m_quit(std::move(quit))
    , m_state(state())
{
    connect(&m_scheduler, &BreakScheduler::breakStateChanged, this, &RemoteControl::checkState);
    connect(&m_scheduler, &BreakScheduler::runningChanged, this, &RemoteControl::checkState);
}

void RemoteControl::watchTimes(bool watch)
{
    if (watch && !m_times)
        m_times = connect(&m_scheduler, &BreakScheduler::secondsCounted, this, &RemoteControl::timesChanged);
    else if (!watch && m_times)
        disconnect(std::exchange(m_times, {}));
}

void RemoteControl::checkState()
{
    const QString now = state();
    if (now == m_state)
        return;
    m_state = now;
    emit stateChanged(now);
}

RemoteControl::Result RemoteControl::pause(qint64 seconds)
{
    if (seconds < 1 || seconds > MaxPauseSeconds)
        return {false, QStringLiteral("a pause lasts from 1 second to 24 hours"), true};
    if (!m_scheduler.isRunning() && m_scheduler.pauseSecondsLeft() < 0)
        return {false, QStringLiteral("the breaks are stopped")};
    m_scheduler.pauseFor(seconds);
    return {};
}

RemoteControl::Result RemoteControl::resume()
{
    // Nothing to do when the breaks run: done all the same.
    m_scheduler.resume();
    return {};
}

RemoteControl::Result RemoteControl::takeBreak(const QString& kind)
{
    if (kind != QLatin1String("micro") && kind != QLatin1String("long"))
        return {false, QStringLiteral("a break is \"micro\" or \"long\", not \"%1\"").arg(kind.left(40)), true};
    if (!m_scheduler.isRunning())
        return {false, QStringLiteral("the breaks are paused; resume them first")};
    if (kind == QLatin1String("micro"))
        m_scheduler.triggerMicroBreak();
    else
        m_scheduler.triggerLongBreak();
    return {};
}

RemoteControl::Result RemoteControl::showSettings()
{
    m_showSettings();
    return {};
}

RemoteControl::Result RemoteControl::quit()
{
    QTimer::singleShot(0, this, [this] { m_quit(); });
    return {};
}

QString RemoteControl::state() const
{
    return statusState(m_scheduler);
}

StatusReport RemoteControl::status(StatusReport::Detail detail) const
{
    return statusReport(m_scheduler, detail);
}

StatusKey RemoteControl::statusKey() const
{
    return ::statusKey(m_scheduler);
}
