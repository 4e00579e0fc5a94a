#pragma once

#include "platform/InstanceChannel.h"

#include <QLockFile>

class QObject;

// Makes sure one copy of the program runs per user. The first copy holds a lock
// file and listens on a local socket; a later copy sends "show" to it and ends.
class SingleInstance
{
public:
    enum class Outcome {
        Primary,    // this copy runs; server() listens
        HandedOver, // another copy runs; it was sent "show" if it answered in time
        NoServer,   // this copy could not listen even after removing a stale name
    };

    static const char* const ServerName;

    explicit SingleInstance(const InstanceChannel& channel);
    ~SingleInstance();

    // Decides whether this copy runs. The server becomes a child of serverParent.
    Outcome claim(QObject* serverParent);
    InstanceServer* server() const { return m_server; }

    // Sends "show" to a running copy; true when one answered the connection.
    static bool sendShowRequest(const QString& serverName, int connectWaitMs);

private:
    InstanceChannel m_channel;
    QLockFile m_lock;
    InstanceServer* m_server = nullptr;
};

// Reads one request from the server's next pending connection; "show" brings the
// top-level window named "RespiteKeeperSettings" to the front.
void handleShowRequest(InstanceServer* server);
