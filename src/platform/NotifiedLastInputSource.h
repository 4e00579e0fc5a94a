#pragma once

#include "platform/LastInputSource.h"

#include <functional>

// A last-input source that the system tells, instead of one that is asked: it is
// told when the user has been idle for a set time ("away") and when input comes
// again ("back"), and answers every question from the last notice, with no call to
// the system.
//
// A back notice tells the idle time at that moment (none after input; more when
// the source only found the user still under the set time): the answer is that
// plus the time since the notice, kept under the set time, and with it the earliest
// moment the away notice can come. Before the first notice the answer is just
// under the set time. After a lost source (the display, compositor or bus went
// away) the idle time is unknown.
class NotifiedLastInputSource : public LastInputSource
{
public:
    using Clock = std::function<qint64()>; // monotonic milliseconds

    explicit NotifiedLastInputSource(qint64 awayAfterMs, Clock clock = {});

    bool canDetectIdle() override { return m_state != State::Lost; }
    std::optional<qint64> millisecondsSinceLastInput() override;
    bool isTold() const override { return true; }

    qint64 awayAfterMs() const { return m_awayAfterMs; }

    void noticeAway(qint64 idleMs);
    void noticeBack(qint64 idleMs = 0);
    void noticeLost();

private:
    enum class State { Unsettled, Back, Away, Lost };

    qint64 m_awayAfterMs;
    Clock m_clock;
    State m_state = State::Unsettled;
    qint64 m_noticedAt = 0;
    qint64 m_idleAtNotice = 0;
};
