#include "BreakScheduler.h"

#include "platform/SteadyClock.h"

#include <QRandomGenerator>
#include <algorithm>
#include <limits>

namespace {
// A timeout that comes this much later than due means the program was stopped or the
// machine slept; that gap is not working time.
constexpr qint64 MaxCatchUpSeconds = 5;

// Times far ahead (hand-edited extreme intervals) stay the largest int, never wrap.
int clampedSeconds(qint64 seconds)
{
    return int(std::min<qint64>(seconds, std::numeric_limits<int>::max()));
}
} // namespace

BreakScheduler::BreakScheduler(const BreakRhythm& rhythm, QObject* parent)
    : QObject(parent)
    , m_rhythm(rhythm)
{
    // A clock that goes on while the machine sleeps, so that a sleep is measured.
    m_clock = steadyMilliseconds;

    // Whole-second timers of the program fire together, in one wake-up; counting
    // follows the clock, so the timer's phase does not matter.
    m_timer.setTimerType(Qt::VeryCoarseTimer);
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &BreakScheduler::onTick);
}

BreakScheduler::~BreakScheduler() = default;

void BreakScheduler::setPresence(Presence* presence)
{
    if (m_presence)
        disconnect(m_presence, nullptr, this, nullptr);
    m_presence = presence;
    m_restStart.reset();
    if (!presence)
        return;
    connect(presence, &Presence::awayChanged, this, &BreakScheduler::onAwayChanged);
    connect(presence, &Presence::quietChanged, this, &BreakScheduler::onQuietChanged);
    onAwayChanged(presence->away());
}

void BreakScheduler::setClock(Clock clock)
{
    m_clock = std::move(clock);
    m_periodStart = m_clock();
    m_countedSeconds = 0;
}

int BreakScheduler::microInterval() const
{
    return std::max(1, m_rhythm.microBreakInterval);
}

int BreakScheduler::breaksPerLongBreak() const
{
    return std::max(1, m_rhythm.longBreakInterval / microInterval());
}

bool BreakScheduler::isLongBreakNumber(int n) const
{
    return n >= 1 && n % breaksPerLongBreak() == 0;
}

void BreakScheduler::restartTimer()
{
    m_timer.start();
    m_periodStart = m_clock();
    m_countedSeconds = 0;
    ++m_periodGeneration;
}

void BreakScheduler::onTick()
{
    // Whole seconds since the period began, rounded to the nearest, less those
    // already counted: a timeout a little early or late still counts one second,
    // and any drift is made up at the next one.
    const qint64 elapsedMs = m_clock() - m_periodStart;
    qint64 due = (elapsedMs + 500) / 1000 - m_countedSeconds;
    if (due <= 0)
        return;
    // A break, though, is time away from the screen however long the program was
    // held up: the whole gap counts toward it, so it ends when its time is up.
    if (due > MaxCatchUpSeconds && m_state != OnBreak) {
        m_periodStart = m_clock() - 1000;
        m_countedSeconds = 0;
        due = 1;
    }
    // Any change of state ends the catch-up: a receiver may have stopped, paused or
    // postponed meanwhile. Seconds not counted here are counted at the next timeout
    // (unless the change restarted the period).
    const quint64 generation = m_periodGeneration;
    const SchedulerState state = m_state;
    const bool running = m_running;
    for (qint64 i = 0; i < due && generation == m_periodGeneration && state == m_state && running == m_running; ++i) {
        ++m_countedSeconds;
        countSecond();
    }
    emit secondsCounted();
}

void BreakScheduler::countSecond()
{
    if (m_state == Paused) {
        if (--m_remainingSeconds > 0)
            return;
        m_running = true;
        m_state = m_savedState;
        m_remainingSeconds = m_savedRemainingSeconds;
        emit runningChanged();
        emit breakStateChanged();
        return;
    }
    if (!m_running)
        return;

    switch (m_state) {
    case Working:
    case Postponed:
        if (userIsAway())
            return;
        ++m_workedSeconds;
        if (--m_remainingSeconds <= 0)
            warningDue();
        break;
    case Warning:
        if (--m_remainingSeconds <= 0)
            beginBreak();
        break;
    case OnBreak:
        if (--m_remainingSeconds <= 0)
            finishBreak();
        break;
    case Paused:
        break;
    }
}

bool BreakScheduler::userIsAway() const
{
    return m_rhythm.idlePauseEnabled && m_presence && m_presence->away() != AwayReason::None;
}

QuietReason BreakScheduler::holdingReason() const
{
    if (!m_rhythm.holdWhenBusy || !m_presence || m_heldSeconds >= qint64(m_rhythm.holdMaxMinutes) * 60)
        return QuietReason::None;
    return m_presence->quiet();
}

// The countdown has run out (it stays at 0 while the break is held).
void BreakScheduler::warningDue()
{
    m_remainingSeconds = 0;
    if (isHeld())
        ++m_heldSeconds;
    // Sources that are not told are asked when the break falls due, then every few
    // seconds while it waits.
    if (m_presence && m_rhythm.holdWhenBusy && m_heldSeconds % HoldLookSeconds == 0)
        m_presence->look();
    if (const QuietReason reason = holdingReason(); reason != QuietReason::None) {
        hold(reason);
        return;
    }
    endHold();
    beginWarning();
}

void BreakScheduler::hold(QuietReason reason)
{
    if (reason == m_holdReason)
        return;
    m_holdReason = reason;
    qInfo("Break held: %s", qPrintable(Presence::name(reason)));
    emit breakStateChanged();
}

void BreakScheduler::endHold()
{
    if (!isHeld())
        return;
    m_holdReason = QuietReason::None;
    qInfo("Break held no longer, after %d s", m_heldSeconds);
    emit breakStateChanged();
}

void BreakScheduler::onQuietChanged(QuietReason reason)
{
    // A call that starts during the warning holds the break too; a test break comes
    // whatever happens.
    if (m_state != Warning || m_testBreak || reason == QuietReason::None || holdingReason() == QuietReason::None)
        return;
    m_state = Working;
    m_remainingSeconds = 0;
    hold(reason);
    emit warningWithdrawn();
}

void BreakScheduler::onAwayChanged(AwayReason reason)
{
    const bool resting = reason == AwayReason::Locked || reason == AwayReason::Asleep;
    if (resting) {
        if (!m_restStart)
            m_restStart = m_clock();
        return;
    }
    if (!m_restStart)
        return;
    const qint64 restedMs = m_clock() - *m_restStart;
    m_restStart.reset();
    // Back from a rest as long as a long break: a new working period.
    if (m_running && m_rhythm.idlePauseEnabled && (m_state == Working || m_state == Postponed) &&
        restedMs >= qint64(m_rhythm.longBreakDuration) * 1000) {
        qInfo("Back after %lld s locked or asleep: the working period starts afresh", restedMs / 1000);
        startAfresh();
    }
}

void BreakScheduler::startAfresh()
{
    m_holdReason = QuietReason::None;
    m_heldSeconds = 0;
    m_state = Working;
    m_remainingSeconds = microInterval();
    restartTimer();
    emit breakStateChanged();
}

void BreakScheduler::startCycle()
{
    m_holdReason = QuietReason::None;
    m_heldSeconds = 0;
    m_currentBreakType = isLongBreakNumber(m_completedBreaks + 1) ? Long : Micro;
    m_state = Working;
    m_remainingSeconds = microInterval();
    restartTimer();
}

void BreakScheduler::beginWarning()
{
    m_state = Warning;
    m_remainingSeconds = WarningSeconds;
    emit warningStarted(m_currentBreakType, WarningSeconds);
    emit breakStateChanged();
}

void BreakScheduler::beginBreak()
{
    m_state = OnBreak;
    m_heldSeconds = 0;
    m_testBreak = false;
    const int duration = m_currentBreakType == Long ? m_rhythm.longBreakDuration : m_rhythm.microBreakDuration;
    m_remainingSeconds = duration;
    emit breakStateChanged();
    const QString message = pickMessage(m_currentBreakType);
    emit breakStarted(m_currentBreakType, message, duration);
}

QString BreakScheduler::pickMessage(BreakType type) const
{
    const QStringList& messages = type == Long ? m_messages.longBreak : m_messages.micro;
    if (messages.isEmpty())
        return QString();
    return messages.at(QRandomGenerator::global()->bounded(messages.size()));
}

void BreakScheduler::finishBreak()
{
    ++m_completedBreaks;
    const BreakType ended = m_currentBreakType;
    m_currentBreakType = isLongBreakNumber(m_completedBreaks + 1) ? Long : Micro;
    m_state = Working;
    m_remainingSeconds = microInterval();
    emit breakStateChanged();
    emit breakFinished(ended);
}

void BreakScheduler::postponeBreak()
{
    if (m_state == Warning) {
        m_state = Postponed;
        m_remainingSeconds = PostponeSeconds;
        m_testBreak = false;
        emit breakStateChanged();
    } else if (m_state == OnBreak && m_rhythm.postponeEnabled) {
        const BreakType ended = m_currentBreakType;
        m_state = Postponed;
        m_remainingSeconds = PostponeSeconds;
        emit breakStateChanged();
        emit breakFinished(ended);
    }
}

void BreakScheduler::triggerMicroBreak()
{
    triggerBreak(Micro);
}

void BreakScheduler::triggerLongBreak()
{
    triggerBreak(Long);
}

void BreakScheduler::triggerBreak(BreakType type)
{
    if (!m_running)
        return;
    if (m_state == OnBreak) {
        ++m_completedBreaks;
        const BreakType ended = m_currentBreakType;
        emit breakStateChanged();
        emit breakFinished(ended);
        // A receiver may have paused or stopped the scheduler meanwhile.
        if (!m_running)
            return;
    }
    m_currentBreakType = type;
    m_state = Warning;
    m_remainingSeconds = WarningSeconds;
    m_holdReason = QuietReason::None;
    m_testBreak = true;
    restartTimer();
    emit warningStarted(type, WarningSeconds);
    emit breakStateChanged();
}

void BreakScheduler::start()
{
    if (m_running)
        return;
    m_running = true;
    emit runningChanged();
    if (!m_running)
        return;
    startCycle();
}

void BreakScheduler::stop()
{
    if (!m_running)
        return;
    m_running = false;
    m_timer.stop();
    m_holdReason = QuietReason::None;
    m_state = Paused;
    m_remainingSeconds = 0;
    emit runningChanged();
    emit breakStateChanged();
}

void BreakScheduler::pause(int hours)
{
    pauseFor(qint64(hours) * 3600);
}

void BreakScheduler::pauseFor(qint64 seconds)
{
    if (seconds <= 0)
        return;
    const int pauseSeconds = clampedSeconds(seconds);
    if (!m_running) {
        // Paused already: the new time replaces what is left; stopped: nothing.
        if (m_state == Paused && m_remainingSeconds > 0) {
            m_remainingSeconds = pauseSeconds;
            restartTimer();
            emit breakStateChanged();
        }
        return;
    }
    const SchedulerState before = m_state;
    const BreakType breakType = m_currentBreakType;
    m_savedState = m_state;
    m_savedRemainingSeconds = m_remainingSeconds;
    // A warning or a break does not stay on screen through a pause; the break that
    // was due comes again, with its warning, when the pause ends.
    if (before == Warning || before == OnBreak) {
        m_savedState = Working;
        m_savedRemainingSeconds = 1;
        m_testBreak = false;
    }
    m_running = false;
    m_state = Paused;
    m_remainingSeconds = pauseSeconds;
    restartTimer();
    emit breakStateChanged();
    emit runningChanged();
    if (before == Warning)
        emit warningWithdrawn();
    else if (before == OnBreak)
        emit breakFinished(breakType);
}

void BreakScheduler::resume()
{
    if (m_running)
        return;
    if (m_state == Paused && m_remainingSeconds > 0) {
        m_running = true;
        m_state = m_savedState;
        m_remainingSeconds = m_savedRemainingSeconds;
        restartTimer();
        emit runningChanged();
        emit breakStateChanged();
        return;
    }
    if (m_state == Paused)
        m_remainingSeconds = 0;
    m_state = Working;
    m_running = true;
    emit runningChanged();
    if (m_running)
        startCycle();
}

void BreakScheduler::onSettingsChanged()
{
    // A held break stays due.
    if (m_running && m_state == Working && !isHeld())
        startCycle();
}

BreakScheduler::NextBreak BreakScheduler::nextBreak() const
{
    switch (m_state) {
    case Warning:
        return {m_remainingSeconds, m_completedBreaks + 1, m_currentBreakType};
    case OnBreak: {
        const int number = m_completedBreaks + 2;
        return {qint64(m_remainingSeconds) + microInterval() + WarningSeconds, number,
                isLongBreakNumber(number) ? Long : Micro};
    }
    default:
        return {qint64(m_remainingSeconds) + WarningSeconds, m_completedBreaks + 1, m_currentBreakType};
    }
}

int BreakScheduler::secondsUntilNextLongBreak() const
{
    if (!m_running)
        return -1;
    const NextBreak next = nextBreak();
    if (next.type == Long)
        return clampedSeconds(next.seconds);
    const int r = breaksPerLongBreak();
    const int microBreaksBefore = (r - next.number % r) % r;
    return clampedSeconds(next.seconds +
                          microBreaksBefore * (qint64(m_rhythm.microBreakDuration) + microInterval() + WarningSeconds));
}

int BreakScheduler::secondsUntilNextMicroBreak() const
{
    if (!m_running)
        return -1;
    const NextBreak next = nextBreak();
    if (next.type == Micro)
        return clampedSeconds(next.seconds);
    if (breaksPerLongBreak() > 1)
        return clampedSeconds(next.seconds + m_rhythm.longBreakDuration + microInterval() + WarningSeconds);
    return -1;
}
