#pragma once

#include <QLocalServer>
#include <QString>

// Where this user's running copy listens for "show" requests, and the lock file
// that decides which of several starting copies becomes the running one.
struct InstanceChannel
{
    QString serverName;
    QString lockFilePath;
    QLocalServer::SocketOptions socketOptions;
};

InstanceChannel instanceChannel(const QString& name);
