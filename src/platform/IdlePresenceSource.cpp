#include "IdlePresenceSource.h"

#include <algorithm>

namespace {
// How often a source that must be asked is asked while the user is away, or after
// a failed question.
constexpr qint64 AskAgainMs = 1000;
} // namespace

IdlePresenceSource::IdlePresenceSource(std::unique_ptr<LastInputSource> input, qint64 awayAfterMs)
    : m_input(std::move(input))
    , m_awayAfterMs(std::max<qint64>(1, awayAfterMs))
{
    if (m_input->isTold()) {
        m_input->onNotice([this] { read(); });
        read();
        return;
    }
    // Whole-second timers of the program fire together, in one wake-up.
    m_timer.setTimerType(Qt::VeryCoarseTimer);
    m_timer.setSingleShot(true);
    m_timer.callOnTimeout([this] { ask(); });
    ask();
}

QString IdlePresenceSource::description() const
{
    return m_input->description();
}

void IdlePresenceSource::read()
{
    const std::optional<qint64> idleMs = m_input->millisecondsSinceLastInput();
    setOn(idleMs && *idleMs >= m_awayAfterMs);
}

qint64 IdlePresenceSource::ask()
{
    if (!m_input->canDetectIdle()) {
        setOn(false);
        return -1;
    }
    const std::optional<qint64> idleMs = m_input->millisecondsSinceLastInput();
    const bool away = idleMs && *idleMs >= m_awayAfterMs;
    const qint64 next = !idleMs || away ? AskAgainMs : std::max(AskAgainMs, m_awayAfterMs - *idleMs);
    m_timer.start(int(std::min<qint64>(next, m_awayAfterMs)));
    setOn(away);
    return next;
}
