#include "WaitingConnections.h"

#include <algorithm>

WaitingConnections::WaitingConnections(int bound, int waitMs, QObject* parent)
    : QObject(parent)
    , m_bound(size_t(std::max(1, bound)))
    , m_waitMs(waitMs)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &WaitingConnections::expire);
}

void WaitingConnections::add(quintptr key)
{
    if (m_queue.size() >= m_bound) {
        const quintptr oldest = m_queue.front().first;
        m_queue.pop_front();
        emit dropped(oldest);
    }
    m_queue.emplace_back(key, QDeadlineTimer(m_waitMs));
    if (!m_timer.isActive())
        m_timer.start(m_waitMs);
}

void WaitingConnections::remove(quintptr key)
{
    const auto it =
        std::find_if(m_queue.begin(), m_queue.end(), [key](const auto& entry) { return entry.first == key; });
    if (it != m_queue.end())
        m_queue.erase(it);
}

void WaitingConnections::expire()
{
    while (!m_queue.empty() && m_queue.front().second.hasExpired()) {
        const quintptr key = m_queue.front().first;
        m_queue.pop_front();
        emit dropped(key);
    }
    if (!m_queue.empty())
        m_timer.start(int(std::max<qint64>(1, m_queue.front().second.remainingTime())));
}
