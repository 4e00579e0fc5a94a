#pragma once

#include <chrono>
#include <cstdint>

// How long the GUI thread has left its heartbeat unanswered, as the watching thread
// sees it at each of its wake-ups. Only time during which the watcher itself was
// awake and on time counts: a wake-up far later than asked means that the whole
// process was stopped (a debugger, a paused machine, a frozen session) or starved,
// the GUI thread with it, and that one gives the GUI thread a fresh window.
class HangMeter
{
public:
    using Ms = std::chrono::milliseconds;

    // timeout: the silence that makes a hang; interval: how long the watcher sleeps
    // between two wake-ups.
    HangMeter(Ms timeout, Ms interval);

    // A fresh window from now, at the GUI thread's current heartbeat count.
    void restart(Ms now, std::uint64_t beats);
    // At a wake-up at monotonic time now, with the heartbeat count read there:
    // whether the GUI thread has been silent for the timeout.
    bool hung(Ms now, std::uint64_t beats);

private:
    const Ms m_timeout;
    const Ms m_lateAfter;
    Ms m_lastWake{0};
    Ms m_silent{0};
    std::uint64_t m_beats = 0;
};
