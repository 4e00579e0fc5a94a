#pragma once

#include "HangMeter.h"

#include <QTimer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Watches the GUI thread from a thread of its own while armed: when the GUI thread
// has not run its event loop for the timeout, the action runs (by default it ends
// the process, so that nothing the program holds outlives a hang). A process that
// was stopped as a whole is not hung: only time the watching thread saw pass awake
// and on time counts (see HangMeter).
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

    const std::chrono::milliseconds m_interval;
    const Action m_action;
    QTimer m_heartbeat;
    std::atomic<bool> m_armed{false};
    std::atomic<std::uint64_t> m_beats{0};
    HangMeter m_meter;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_thread;
};
