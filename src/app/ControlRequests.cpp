#include "ControlRequests.h"

#include "RemoteControl.h"
#include "platform/InstanceChannel.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <optional>
#include <utility>

namespace {

const QByteArray Version = QByteArrayLiteral("RK1");

QByteArray errorLine(const QString& why)
{
    return QByteArrayLiteral("error ") + why.toUtf8() + '\n';
}

} // namespace

void showSettingsWindow()
{
    const QWidgetList widgets = QApplication::topLevelWidgets();
    for (QWidget* widget : widgets) {
        if (widget->isWindow() && widget->objectName() == QLatin1String("RespiteKeeperSettings")) {
            widget->showNormal();
            widget->raise();
            widget->activateWindow();
            break;
        }
    }
}

ControlRequests::ControlRequests(InstanceServer& server, QObject* parent)
    : QObject(parent)
    , m_server(server)
{
    connect(&m_server, &InstanceServer::requestReceived, this, &ControlRequests::onRequest);
    connect(&m_server, &InstanceServer::clientGone, this, &ControlRequests::forget);
}

void ControlRequests::setControl(RemoteControl* control)
{
    m_control = control;
    if (m_control) {
        connect(m_control, &RemoteControl::stateChanged, this, &ControlRequests::showChanges);
        connect(m_control, &RemoteControl::timesChanged, this, &ControlRequests::showChanges);
    }
}

void ControlRequests::onRequest(const QByteArray& request, quintptr client)
{
    // Earlier versions send the bare word and read no answer.
    if (request == "show") {
        showSettingsWindow();
        return;
    }
    // A command counts only when its line is whole: a client that went before it
    // ended its line may have been cut short.
    if (!request.endsWith('\n')) {
        qInfo("A request ended before its line did; nothing is done");
        return;
    }
    const QList<QByteArray> words = request.trimmed().split(' ');
    if (words.first() != Version) {
        const QString why = words.first().startsWith("RK")
                                ? QStringLiteral("this copy takes requests of version 1 (RK1), not \"%1\"")
                                      .arg(QString::fromUtf8(words.first().left(16)))
                                : QStringLiteral("unknown request");
        m_server.answer(client, errorLine(why));
        return;
    }
    if (words.size() < 2 || words.size() > 3) {
        m_server.answer(client, errorLine(QStringLiteral("a request is \"RK1 COMMAND [ARGUMENT]\"")));
        return;
    }
    m_server.answer(client, answerCommand(words.at(1), words.size() == 3 ? words.at(2) : QByteArray(), client));
}

QByteArray ControlRequests::answerCommand(const QByteArray& command, const QByteArray& argument, quintptr client)
{
    if (command == "show" && argument.isEmpty()) {
        showSettingsWindow();
        return QByteArrayLiteral("ok\n");
    }
    if (!m_control)
        return errorLine(
            QStringLiteral("RespiteKeeper is still starting (it waits for a system tray); try again soon"));
    const auto result = [](const RemoteControl::Result& outcome) {
        return outcome.done ? QByteArrayLiteral("ok\n") : errorLine(outcome.why);
    };
    const bool noArgument = argument.isEmpty();
    if (command == "pause") {
        bool ok = false;
        const qint64 seconds = argument.toLongLong(&ok);
        if (!ok)
            return errorLine(QStringLiteral("a pause is a number of seconds"));
        return result(m_control->pause(seconds));
    }
    if (command == "break" && !noArgument)
        return result(m_control->takeBreak(QString::fromUtf8(argument)));
    if (command == "resume" && noArgument)
        return result(m_control->resume());
    if (command == "settings" && noArgument)
        return result(m_control->showSettings());
    if (command == "quit" && noArgument)
        return result(m_control->quit());
    if ((command == "status" || command == "follow") && (noArgument || argument == "json")) {
        const bool json = argument == "json";
        const StatusReport report =
            m_control->status(command == "follow" ? StatusReport::Detail::Minutes : StatusReport::Detail::Seconds);
        if (command == "follow") {
            m_server.keep(client);
            m_followers.push_back({client, json, m_control->statusKey()});
            // Looked at in the scheduler's own wake-ups while someone follows.
            m_control->watchTimes(true);
        }
        return QByteArrayLiteral("ok\n") + statusLine(report, json);
    }
    return errorLine(QStringLiteral("unknown command \"%1\"").arg(QString::fromUtf8(command.left(32))));
}

QByteArray ControlRequests::statusLine(const StatusReport& report, bool json)
{
    return (json ? report.toJson() : report.toLine().toUtf8()) + '\n';
}

void ControlRequests::showChanges()
{
    if (m_followers.empty() || !m_control)
        return;
    // Looked at in every wake-up while someone follows: the key alone, and the
    // lines only when it changed.
    const StatusKey key = m_control->statusKey();
    std::optional<StatusReport> report;
    // A client that is gone is forgotten within answer(), through clientGone.
    const std::vector<Follower> followers = m_followers;
    for (const Follower& follower : followers) {
        if (follower.shown == key)
            continue;
        if (!report)
            report = m_control->status(StatusReport::Detail::Minutes);
        if (m_server.answer(follower.client, statusLine(*report, follower.json))) {
            const auto it = std::find_if(m_followers.begin(), m_followers.end(),
                                         [&](const Follower& f) { return f.client == follower.client; });
            if (it != m_followers.end())
                it->shown = key;
        }
    }
}

void ControlRequests::forget(quintptr client)
{
    m_followers.erase(std::remove_if(m_followers.begin(), m_followers.end(),
                                     [client](const Follower& follower) { return follower.client == client; }),
                      m_followers.end());
    if (m_followers.empty() && m_control)
        m_control->watchTimes(false);
}
