#include "platform/ControlBus.h"

#include "ControlBusInterface.h"
#include "SessionSources.h"
#include "app/RemoteControl.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>

namespace {

const QString Service = QStringLiteral("org.example.RespiteKeeper");
const QString Path = QStringLiteral("/org/example/RespiteKeeper");
const QString Interface = QStringLiteral("org.example.RespiteKeeper1");
const QString InvalidArgument = QStringLiteral("org.example.RespiteKeeper1.Error.InvalidArgument");
const QString Refused = QStringLiteral("org.example.RespiteKeeper1.Error.Refused");

// The remote control's commands and state on the session bus (the interface of
// org.example.RespiteKeeper1.xml): a command not done answers with an error that
// carries the reason, and a change of state is told with PropertiesChanged. The
// times are read when asked: they change with the clock, and nothing is told of it.
class SessionBusControl : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.example.RespiteKeeper1")
    Q_CLASSINFO("D-Bus Introspection", RK_CONTROL_BUS_INTERFACE)
    Q_PROPERTY(QString State READ state)
    Q_PROPERTY(int NextMicroBreak READ nextMicroBreak)
    Q_PROPERTY(int NextLongBreak READ nextLongBreak)
    Q_PROPERTY(int PauseLeft READ pauseLeft)

public:
    explicit SessionBusControl(RemoteControl& control)
        : m_control(control)
    {
        connect(&m_control, &RemoteControl::stateChanged, this, &SessionBusControl::tellState);
    }

    ~SessionBusControl() override
    {
        if (m_named)
            m_bus.unregisterService(Service);
        m_bus.unregisterObject(Path);
    }

    // Whether the object and its name are on the bus; a line in the log says why not.
    bool offer()
    {
        if (!m_bus.registerObject(Path, this, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties)) {
            qInfo("Session bus: %s cannot be offered: %s", qPrintable(Path), qPrintable(m_bus.lastError().message()));
            return false;
        }
        m_named = m_bus.registerService(Service);
        if (!m_named) {
            const QString owner = m_bus.interface()->serviceOwner(Service);
            qInfo("Session bus: the name %s is taken%s; the commands are not offered on the bus", qPrintable(Service),
                  owner.isEmpty() ? "" : qPrintable(QStringLiteral(" (by %1, another copy)").arg(owner)));
            return false;
        }
        qInfo("Session bus: the commands are offered as %s", qPrintable(Service));
        return true;
    }

    QString state() const { return m_control.state(); }
    int nextMicroBreak() const { return status().nextMicroBreak.value_or(-1); }
    int nextLongBreak() const { return status().nextLongBreak.value_or(-1); }
    int pauseLeft() const { return status().pauseLeft.value_or(-1); }

public slots:
    void Pause(uint seconds) { answer(m_control.pause(seconds)); }
    void Resume() { answer(m_control.resume()); }
    void TakeBreak(const QString& kind) { answer(m_control.takeBreak(kind)); }
    void ShowSettings() { answer(m_control.showSettings()); }
    void Quit() { answer(m_control.quit()); }

private:
    StatusReport status() const { return m_control.status(StatusReport::Detail::Seconds); }

    // A command done answers with nothing; one refused, with an error: a bad
    // argument, or a command that cannot be done now.
    void answer(const RemoteControl::Result& result)
    {
        if (!result.done && calledFromDBus())
            sendErrorReply(result.badArgument ? InvalidArgument : Refused, result.why);
    }

    void tellState(const QString& state)
    {
        QDBusMessage changed = QDBusMessage::createSignal(Path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("PropertiesChanged"));
        changed << Interface << QVariantMap{{QStringLiteral("State"), state}} << QStringList();
        m_bus.send(changed);
    }

    RemoteControl& m_control;
    QDBusConnection m_bus = QDBusConnection::sessionBus();
    bool m_named = false;
};

} // namespace

std::unique_ptr<QObject> offerControlOnBus(RemoteControl& control)
{
    // Connected only where a bus can be there: a session without one is spared
    // Qt's D-Bus and its wait.
    if (!sessionBusThere()) {
        qInfo("Session bus: none; the commands are not offered on it");
        return nullptr;
    }
    if (!QDBusConnection::sessionBus().isConnected()) {
        qInfo("Session bus: no connection (%s); the commands are not offered on it",
              qPrintable(QDBusConnection::sessionBus().lastError().message()));
        return nullptr;
    }
    auto offered = std::make_unique<SessionBusControl>(control);
    if (!offered->offer())
        return nullptr;
    return offered;
}

#include "SessionBusControl.moc"
