#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

#include <deque>
#include <utility>

// The server's connections that have not sent a whole request yet, oldest first,
// each known by a key. Each may wait until its deadline, and at most `bound` wait at
// once: a new one pushes the oldest out, so that a flood of silent connections
// neither piles up nor keeps a real one out. One timer, set for the oldest deadline.
class WaitingConnections : public QObject
{
    Q_OBJECT

public:
    WaitingConnections(int bound, int waitMs, QObject* parent = nullptr);

    void add(quintptr key);
    // The connection is done (or closed): no drop for it.
    void remove(quintptr key);
    int count() const { return int(m_queue.size()); }

signals:
    // Its deadline passed, or a newer connection took its place: close it.
    void dropped(quintptr key);

private:
    void expire();

    const size_t m_bound;
    const int m_waitMs;
    std::deque<std::pair<quintptr, QDeadlineTimer>> m_queue;
    QTimer m_timer;
};
