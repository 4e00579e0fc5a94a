#include "NotifiedLastInputSource.h"

#include <QElapsedTimer>
#include <algorithm>
#include <memory>

NotifiedLastInputSource::NotifiedLastInputSource(qint64 awayAfterMs, Clock clock)
    : m_awayAfterMs(std::max<qint64>(1, awayAfterMs))
    , m_clock(std::move(clock))
{
    if (!m_clock) {
        auto elapsed = std::make_shared<QElapsedTimer>();
        elapsed->start();
        m_clock = [elapsed] { return elapsed->elapsed(); };
    }
}

std::optional<qint64> NotifiedLastInputSource::millisecondsSinceLastInput()
{
    const qint64 since = m_clock() - m_noticedAt;
    switch (m_state) {
    case State::Away:
        return m_idleAtNotice + since;
    case State::Back:
        return std::clamp<qint64>(m_idleAtNotice + since, 0, m_awayAfterMs - 1);
    case State::Unsettled:
        return m_awayAfterMs - 1;
    case State::Lost:
        break;
    }
    return std::nullopt;
}

void NotifiedLastInputSource::noticeAway(qint64 idleMs)
{
    if (m_state == State::Lost)
        return;
    m_state = State::Away;
    m_noticedAt = m_clock();
    m_idleAtNotice = std::max(idleMs, m_awayAfterMs);
    noticed();
}

void NotifiedLastInputSource::noticeBack(qint64 idleMs)
{
    if (m_state == State::Lost)
        return;
    m_state = State::Back;
    m_noticedAt = m_clock();
    m_idleAtNotice = std::clamp<qint64>(idleMs, 0, m_awayAfterMs - 1);
    noticed();
}

void NotifiedLastInputSource::noticeLost()
{
    m_state = State::Lost;
    noticed();
}
