#pragma once

#include <QString>
#include <functional>

// One thing the system tells about the user, on or off: idle, a locked session, a
// call, a full-screen program in front, the desktop's do-not-disturb. Header only,
// so that the program's run-time modules can hand out sources of their own.
class PresenceSource
{
public:
    using Notify = std::function<void()>;

    virtual ~PresenceSource() = default;

    bool isOn() const { return m_on; }
    // Where the answer comes from, for the log and a diagnosis.
    virtual QString description() const = 0;
    // A source that the system tells nothing asks it now; one that is told has
    // nothing to do. The program asks only while a break waits for an answer.
    virtual void look() {}

    // Called at each change of isOn(); set once, by the presence that owns the source.
    void onChange(Notify notify) { m_notify = std::move(notify); }

protected:
    void setOn(bool on)
    {
        if (on == m_on)
            return;
        m_on = on;
        if (m_notify)
            m_notify();
    }

private:
    bool m_on = false;
    Notify m_notify;
};
