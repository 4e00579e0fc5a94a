#pragma once

#include "platform/LastInputSource.h"
#include "platform/PresenceSource.h"

#include <QTimer>
#include <functional>
#include <memory>

// The user counted as away once idle for a set time, from a last-input source. One
// that the system tells is read at each notice; one that must be asked is asked
// when the user could first have reached the set time (no sooner: the idle time
// grows no faster than the clock), and every second while away, to see the return.
class IdlePresenceSource : public PresenceSource
{
public:
    using Clock = std::function<qint64()>; // monotonic milliseconds

    IdlePresenceSource(std::unique_ptr<LastInputSource> input, qint64 awayAfterMs);

    QString description() const override;
    const LastInputSource& input() const { return *m_input; }

    // Asks a source that must be asked, now; the delay until the next question in
    // milliseconds, or -1 when it cannot tell the idle time at all.
    qint64 ask();

private:
    void read();

    std::unique_ptr<LastInputSource> m_input;
    qint64 m_awayAfterMs;
    QTimer m_timer;
};
