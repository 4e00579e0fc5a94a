#pragma once

#include <QTimer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Watches the GUI thread from a thread of its own while armed: when the GUI thread
// has not run its event loop for the timeout, the action runs (by default it ends
// the process, so that nothing the program holds outlives a hang).
class HangWatchdog
{
public:
    using Action = std::function<void()>;

    explicit HangWatchdog(std::chrono::milliseconds timeout = std::chrono::seconds(15), Action action = {});
    ~HangWatchdog();

    HangWatchdog(const HangWatchdog&) = delete;
    HangWatchdog& operator=(const HangWatchdog&) = delete;

    // Both are called on the GUI thread.
    void arm();
    void disarm();
    bool isArmed() const { return m_armed; }

private:
    void beat();
    void watch();
    static std::int64_t nowMs();

    const std::chrono::milliseconds m_timeout;
    const Action m_action;
    QTimer m_heartbeat;
    std::atomic<bool> m_armed{false};
    std::atomic<std::int64_t> m_lastBeatMs{0};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_thread;
};
