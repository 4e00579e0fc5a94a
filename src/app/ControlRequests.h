#pragma once

#include "scheduling/StatusReport.h"

#include <QObject>
#include <vector>

class InstanceServer;
class RemoteControl;

// Answers the requests other copies of the program send on the single-instance
// channel: "show" as earlier versions send it, and the commands of the command
// line ("RK1 COMMAND [ARGUMENT]"). Until the program's objects are up, only the
// settings can be asked for, and commands are told to wait.
class ControlRequests : public QObject
{
    Q_OBJECT

public:
    explicit ControlRequests(InstanceServer& server, QObject* parent = nullptr);

    // From now on commands act on control (not owned).
    void setControl(RemoteControl* control);
    int followers() const { return int(m_followers.size()); }

private slots:
    // Each follower gets a line when what it was shown last has changed.
    void showChanges();

private:
    struct Follower
    {
        quintptr client = 0;
        bool json = false;
        StatusKey shown; // what its last line showed
    };

    void onRequest(const QByteArray& request, quintptr client);
    QByteArray answerCommand(const QByteArray& command, const QByteArray& argument, quintptr client);
    void forget(quintptr client);
    static QByteArray statusLine(const StatusReport& report, bool json);

    InstanceServer& m_server;
    RemoteControl* m_control = nullptr;
    std::vector<Follower> m_followers;
};

// Brings the top-level window named "RespiteKeeperSettings" to the front.
void showSettingsWindow();
