#include "HistoryRecorder.h"

using Event = HistoryFile::Event;

HistoryRecorder::HistoryRecorder(const BreakScheduler& scheduler, const QString& path, WallClock clock)
    : m_scheduler(scheduler)
    , m_writer(path)
    , m_clock(std::move(clock))
    , m_state(scheduler.state())
    , m_type(scheduler.currentBreakType())
    , m_workedWritten(scheduler.workedSeconds())
    , m_dayEnd(nextMidnight(now()))
{
    connect(&scheduler, &BreakScheduler::breakStateChanged, this, &HistoryRecorder::onStateChanged);
    connect(&scheduler, &BreakScheduler::breakStarted, this, &HistoryRecorder::onBreakStarted);
    connect(&scheduler, &BreakScheduler::secondsCounted, this, &HistoryRecorder::passMidnight);
}

HistoryRecorder::~HistoryRecorder()
{
    passMidnight();
    if (m_state == BreakScheduler::Warning || m_state == BreakScheduler::OnBreak)
        write(Event::CutByQuit, m_type);
    if (m_held)
        write(Event::Held, m_scheduler.workedSeconds() - m_holdStart);
    writeWorked(now());
}

void HistoryRecorder::passMidnight()
{
    if (m_clock() < m_dayEnd)
        return;
    writeWorked(QDateTime::fromMSecsSinceEpoch(m_dayEnd - 1000));
    m_dayEnd = nextMidnight(now());
}

void HistoryRecorder::onBreakStarted()
{
    m_writer.compactIfDue(now().date());
}

// Every change of a break's course comes with a change of state, told by this
// signal before any other.
void HistoryRecorder::onStateChanged()
{
    const BreakScheduler::SchedulerState before = std::exchange(m_state, m_scheduler.state());
    const BreakType type = std::exchange(m_type, m_scheduler.currentBreakType());
    const bool shown = before == BreakScheduler::Warning || before == BreakScheduler::OnBreak;
    if (shown && m_state == BreakScheduler::Postponed)
        write(Event::Postponed, type);
    else if (shown && m_state == BreakScheduler::Paused)
        write(Event::CutByPause, type);
    // The end of its time, or a test break that replaces it.
    else if (before == BreakScheduler::OnBreak && m_state != BreakScheduler::OnBreak)
        write(Event::Taken, type);
    if (m_scheduler.isHeld() != m_held) {
        m_held = !m_held;
        if (m_held)
            m_holdStart = m_scheduler.workedSeconds();
        else
            write(Event::Held, m_scheduler.workedSeconds() - m_holdStart);
    }
}

void HistoryRecorder::write(Event event, qint64 number)
{
    passMidnight();
    const QDateTime time = now();
    writeWorked(time);
    m_writer.append(HistoryFile::line(time, event, number));
}

void HistoryRecorder::writeWorked(const QDateTime& when)
{
    const qint64 worked = m_scheduler.workedSeconds();
    if (worked > m_workedWritten)
        m_writer.append(HistoryFile::line(when, Event::Worked, worked - m_workedWritten));
    m_workedWritten = worked;
}
