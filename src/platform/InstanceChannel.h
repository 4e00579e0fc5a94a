#pragma once

#include <QLocalServer>
#include <QLocalSocket>
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

// Lets the running copy at the other end of the connected socket bring its window
// to the front when it answers: Windows keeps a process in the background from
// taking the foreground unless the one in front allows it.
void allowServerToTakeFocus(QLocalSocket& socket);
