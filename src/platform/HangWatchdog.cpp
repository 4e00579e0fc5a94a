#include "HangWatchdog.h"

#include <cstdio>
#include <cstdlib>

namespace {

// The monotonic clock: a change of the wall clock is no hang.
std::chrono::milliseconds monotonicNow()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch());
}

} // namespace

HangWatchdog::HangWatchdog(std::chrono::milliseconds timeout, Action action)
    : m_interval(std::max(std::chrono::milliseconds(5), timeout / 10))
    , m_action(action ? std::move(action) : Action([] {
        std::fputs("RespiteKeeper: the program stopped responding while holding the input; ending it\n", stderr);
        std::_Exit(3);
    }))
    , m_meter(timeout, m_interval)
{
    m_heartbeat.setInterval(std::max<std::chrono::milliseconds::rep>(10, timeout.count() / 10));
    QObject::connect(&m_heartbeat, &QTimer::timeout, [this] { beat(); });
}

HangWatchdog::~HangWatchdog()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_armed = false;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void HangWatchdog::beat()
{
    ++m_beats;
}

void HangWatchdog::arm()
{
    beat();
    m_heartbeat.start();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_armed = true;
        // The thread is started on first use and then sleeps while disarmed.
        if (!m_thread.joinable())
            m_thread = std::thread([this] { watch(); });
    }
    m_wake.notify_all();
}

void HangWatchdog::disarm()
{
    m_heartbeat.stop();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_armed = false;
}

void HangWatchdog::watch()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_meter.restart(monotonicNow(), m_beats);
    while (!m_stopping) {
        if (!m_armed) {
            m_wake.wait(lock, [this] { return m_stopping || m_armed; });
            m_meter.restart(monotonicNow(), m_beats);
            continue;
        }
        m_wake.wait_for(lock, m_interval);
        if (m_armed && !m_stopping && m_meter.hung(monotonicNow(), m_beats)) {
            m_armed = false;
            lock.unlock();
            m_action();
            lock.lock();
        }
    }
}
