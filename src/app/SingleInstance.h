#pragma once

#include "platform/InstanceChannel.h"

#include <QLockFile>

#include <memory>

// Makes sure one copy of the program runs per user. The first copy holds a lock
// file and listens on a local socket; a later copy sends "show" to it and ends.
class SingleInstance
{
public:
    enum class Outcome {
        Primary,    // this copy runs; server() listens
        HandedOver, // another copy runs and took the request
        Failed,     // neither: errorString() says why
    };

    static const char* const ServerName;

    explicit SingleInstance(const InstanceChannel& channel);
    // Releases, as release() does.
    ~SingleInstance();

    // Decides whether this copy runs.
    Outcome claim();
    InstanceServer* server() const { return m_server.get(); }
    // Why claim() failed, and what to do about it, in one line.
    QString errorString() const { return m_error; }

    // Stops listening, then lets the lock go: a copy that starts meanwhile never
    // hands over to this one, it waits for the lock and runs.
    void release();

    // Sends "show" to a running copy; true when one took it.
    static bool sendShowRequest(const QString& serverName, int connectWaitMs);

private:
    bool takeOverUnreadableLock();

    InstanceChannel m_channel;
    QLockFile m_lock;
    std::unique_ptr<InstanceServer> m_server;
    QString m_error;
};
