#include "SessionSources.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QFileInfo>
#include <QObject>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <utility>

namespace {

const QString Login1 = QStringLiteral("org.freedesktop.login1");
const QString Login1Path = QStringLiteral("/org/freedesktop/login1");
const QString Login1Manager = QStringLiteral("org.freedesktop.login1.Manager");
const QString Login1Session = QStringLiteral("org.freedesktop.login1.Session");
const QString Properties = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr int CallTimeoutMs = 1000;

QDBusMessage call(const QDBusConnection& bus, const QString& service, const QString& path, const QString& interface,
                  const QString& method, const QVariantList& arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, CallTimeoutMs);
}

QVariant firstAnswer(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst();
}

// The property as the reply to Properties.Get carries it.
QVariant busProperty(const QDBusConnection& bus, const QString& service, const QString& path, const QString& interface,
                     const QString& name)
{
    return firstAnswer(call(bus, service, path, Properties, QStringLiteral("Get"), {interface, name}))
        .value<QDBusVariant>()
        .variant();
}

// Whether a bus can be there, from its address (an unset one means the usual
// socket): asked before Qt's D-Bus is first used, which loads libdbus and starts a
// thread of its own, so that a session without buses is spared them.
bool busThere(const char* variable, const QString& usualSocket)
{
    const QString address = qEnvironmentVariable(variable);
    if (address.isEmpty())
        return QFileInfo::exists(usualSocket);
    const QStringList entries = address.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return std::any_of(entries.cbegin(), entries.cend(), [](const QString& entry) {
        if (!entry.startsWith(QLatin1String("unix:path=")))
            return true; // abstract sockets, TCP: only a connection tells
        return QFileInfo::exists(entry.mid(10).section(QLatin1Char(','), 0, 0));
    });
}

bool systemBusThere()
{
    return busThere("DBUS_SYSTEM_BUS_ADDRESS", QStringLiteral("/run/dbus/system_bus_socket"));
}

bool serviceRunning(const QDBusConnection& bus, const QString& service)
{
    return bus.isConnected() && bus.interface()->isServiceRegistered(service);
}

class LogindLockSource : public QObject, public PresenceSource
{
    Q_OBJECT
public:
    explicit LogindLockSource(QString path)
        : m_path(std::move(path))
    {}

    bool listen()
    {
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.connect(Login1, m_path, Login1Session, QStringLiteral("Lock"), this, SLOT(onLock())) ||
            !bus.connect(Login1, m_path, Login1Session, QStringLiteral("Unlock"), this, SLOT(onUnlock())) ||
            !bus.connect(Login1, m_path, Properties, QStringLiteral("PropertiesChanged"), this,
                         SLOT(onPropertiesChanged(QString, QVariantMap, QStringList))))
            return false;
        setOn(busProperty(bus, Login1, m_path, Login1Session, QStringLiteral("LockedHint")).toBool());
        return true;
    }

    QString description() const override
    {
        return QStringLiteral("logind's Lock, Unlock and LockedHint of session %1").arg(m_path.section('/', -1));
    }

private slots:
    void onLock() { setOn(true); }
    void onUnlock() { setOn(false); }
    void onPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&)
    {
        if (interface == Login1Session && changed.contains(QStringLiteral("LockedHint")))
            setOn(changed.value(QStringLiteral("LockedHint")).toBool());
    }

private:
    QString m_path;
};

class LogindSleepSource : public QObject, public PresenceSource
{
    Q_OBJECT
public:
    bool listen()
    {
        if (!QDBusConnection::systemBus().connect(Login1, Login1Path, Login1Manager, QStringLiteral("PrepareForSleep"),
                                                  this, SLOT(onPrepareForSleep(bool))))
            return false;
        delaySleep();
        return true;
    }

    QString description() const override
    {
        return m_delays ? QStringLiteral("logind's PrepareForSleep, with a delay lock")
                        : QStringLiteral("logind's PrepareForSleep (no delay lock: a sleep may be heard of late)");
    }

private slots:
    void onPrepareForSleep(bool starting)
    {
        setOn(starting);
        // The lock is let go once the sleep is noted, so the sleep waits no longer.
        if (starting)
            m_lock = {};
        else
            delaySleep();
    }

private:
    void delaySleep()
    {
        const QVariant fd =
            firstAnswer(call(QDBusConnection::systemBus(), Login1, Login1Path, Login1Manager, QStringLiteral("Inhibit"),
                             {QStringLiteral("sleep"), QStringLiteral("RespiteKeeper"),
                              QStringLiteral("Counting the sleep as time away"), QStringLiteral("delay")}));
        m_lock = fd.value<QDBusUnixFileDescriptor>();
        m_delays = m_lock.isValid();
    }

    QDBusUnixFileDescriptor m_lock;
    bool m_delays = false;
};

class ScreenSaverSource : public QObject, public PresenceSource
{
    Q_OBJECT
public:
    bool listen()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            return false;
        // Either may come and go with the desktop; listening costs nothing.
        for (const auto& [path, interface] :
             {std::pair{QStringLiteral("/org/freedesktop/ScreenSaver"), QStringLiteral("org.freedesktop.ScreenSaver")},
              {QStringLiteral("/ScreenSaver"), QStringLiteral("org.freedesktop.ScreenSaver")},
              {QStringLiteral("/org/gnome/ScreenSaver"), QStringLiteral("org.gnome.ScreenSaver")}}) {
            bus.connect(QString(), path, interface, QStringLiteral("ActiveChanged"), this, SLOT(onActiveChanged(bool)));
            if (m_running.isEmpty() && serviceRunning(bus, interface)) {
                m_running = interface;
                setOn(firstAnswer(call(bus, interface, path, interface, QStringLiteral("GetActive"))).toBool());
            }
        }
        return true;
    }

    QString description() const override
    {
        return QStringLiteral("the desktop's screen saver, ActiveChanged (%1)")
            .arg(m_running.isEmpty() ? QStringLiteral("none runs now") : m_running);
    }

private slots:
    void onActiveChanged(bool active) { setOn(active); }

private:
    QString m_running;
};

class NotificationsInhibitedSource : public QObject, public PresenceSource
{
    Q_OBJECT
public:
    bool listen()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.connect(service(), path(), Properties, QStringLiteral("PropertiesChanged"), this,
                         SLOT(onPropertiesChanged(QString, QVariantMap, QStringList))))
            return false;
        // Asked only of a server that runs: a question would start one that is not.
        if (serviceRunning(bus, service()))
            setOn(busProperty(bus, service(), path(), service(), QStringLiteral("Inhibited")).toBool());
        return true;
    }

    QString description() const override
    {
        return QStringLiteral("the notification server's Inhibited property (org.freedesktop.Notifications)");
    }

private slots:
    void onPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&)
    {
        if (interface == service() && changed.contains(QStringLiteral("Inhibited")))
            setOn(changed.value(QStringLiteral("Inhibited")).toBool());
    }

private:
    static QString service() { return QStringLiteral("org.freedesktop.Notifications"); }
    static QString path() { return QStringLiteral("/org/freedesktop/Notifications"); }
};

// GNOME's do-not-disturb is its "show banners" setting, which dconf keeps. Its
// changes are told on the session bus (dconf's Notify); the value is read with
// gsettings, at start and at each change under the setting's folder.
class GnomeBannersSource : public QObject, public PresenceSource
{
    Q_OBJECT
public:
    bool listen()
    {
        if (!QDBusConnection::sessionBus().connect(QString(), QStringLiteral("/ca/desrt/dconf/Writer/user"),
                                                   QStringLiteral("ca.desrt.dconf.Writer"), QStringLiteral("Notify"),
                                                   this, SLOT(onNotify(QString, QStringList, QString))))
            return false;
        connect(&m_reader, &QProcess::finished, this, &GnomeBannersSource::onRead);
        read();
        return true;
    }

    QString description() const override
    {
        return QStringLiteral("GNOME's show-banners setting (dconf's Notify, read with gsettings)");
    }

private slots:
    void onNotify(const QString& prefix, const QStringList& changes, const QString&)
    {
        const QString folder = QStringLiteral("/org/gnome/desktop/notifications/");
        for (const QString& change : changes.isEmpty() ? QStringList{QString()} : changes) {
            const QString path = prefix + change;
            if (path.startsWith(folder) || folder.startsWith(path)) {
                read();
                return;
            }
        }
    }

    void onRead()
    {
        if (m_reader.exitStatus() == QProcess::NormalExit && m_reader.exitCode() == 0)
            setOn(m_reader.readAllStandardOutput().trimmed() == "false");
        if (std::exchange(m_readAgain, false))
            read();
    }

private:
    void read()
    {
        if (m_reader.state() != QProcess::NotRunning) {
            m_readAgain = true;
            return;
        }
        m_reader.start(
            QStringLiteral("gsettings"),
            {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.notifications"), QStringLiteral("show-banners")});
    }

    QProcess m_reader;
    bool m_readAgain = false;
};

template <typename Source> std::unique_ptr<PresenceSource> listening(std::unique_ptr<Source> source)
{
    if (!source->listen())
        return nullptr;
    return source;
}

} // namespace

bool sessionBusThere()
{
    return busThere("DBUS_SESSION_BUS_ADDRESS", qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/bus"));
}

std::unique_ptr<PresenceSource> createLogindLockSource()
{
    if (!systemBusThere())
        return nullptr;
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!serviceRunning(bus, Login1))
        return nullptr;
    const QString id = qEnvironmentVariable("XDG_SESSION_ID", QStringLiteral("auto"));
    const QString path = firstAnswer(call(bus, Login1, Login1Path, Login1Manager, QStringLiteral("GetSession"), {id}))
                             .value<QDBusObjectPath>()
                             .path();
    if (path.isEmpty())
        return nullptr;
    return listening(std::make_unique<LogindLockSource>(path));
}

std::unique_ptr<PresenceSource> createLogindSleepSource()
{
    if (!systemBusThere() || !serviceRunning(QDBusConnection::systemBus(), Login1))
        return nullptr;
    return listening(std::make_unique<LogindSleepSource>());
}

std::unique_ptr<PresenceSource> createScreenSaverSource()
{
    if (!sessionBusThere())
        return nullptr;
    return listening(std::make_unique<ScreenSaverSource>());
}

std::unique_ptr<PresenceSource> createGnomeBannersSource()
{
    if (!sessionBusThere() || !serviceRunning(QDBusConnection::sessionBus(), QStringLiteral("org.gnome.Shell")) ||
        QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty())
        return nullptr;
    return listening(std::make_unique<GnomeBannersSource>());
}

std::unique_ptr<PresenceSource> createNotificationsInhibitedSource()
{
    if (!sessionBusThere())
        return nullptr;
    return listening(std::make_unique<NotificationsInhibitedSource>());
}

#include "SessionSources.moc"
