#include "HangMeter.h"

HangMeter::HangMeter(Ms timeout, Ms interval)
    : m_timeout(timeout)
    , m_lateAfter(2 * interval)
{}

void HangMeter::restart(Ms now, std::uint64_t beats)
{
    m_lastWake = now;
    m_silent = Ms(0);
    m_beats = beats;
}

bool HangMeter::hung(Ms now, std::uint64_t beats)
{
    const Ms slept = now - m_lastWake;
    // A heartbeat, or a sleep that went far over (the process was stopped, possibly
    // between this wake-up and the reading of the clock): the window starts again.
    if (beats != m_beats || slept > m_lateAfter || slept < Ms(0)) {
        restart(now, beats);
        return false;
    }
    m_lastWake = now;
    m_silent += slept;
    return m_silent >= m_timeout;
}
