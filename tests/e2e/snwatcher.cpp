// A StatusNotifier watcher with a host, as a desktop's panel offers one, for the
// end-to-end tests: prints "item SERVICE" for each tray item that registers.
//   rk-snwatcher [--host-later]   (on the session bus of DBUS_SESSION_BUS_ADDRESS)
// With --host-later the watcher has no host until one calls RegisterStatusNotifierHost.
#include <QCoreApplication>
#include <QDBusConnection>
#include <cstdio>

class Watcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)

public:
    bool m_host = true;
    bool hostRegistered() const { return m_host; }

signals:
    void StatusNotifierHostRegistered();

public slots:
    void RegisterStatusNotifierHost(const QString&)
    {
        m_host = true;
        emit StatusNotifierHostRegistered();
    }
    void RegisterStatusNotifierItem(const QString& service)
    {
        std::printf("item %s\n", qPrintable(service));
        std::fflush(stdout);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Watcher watcher;
    watcher.m_host = app.arguments().value(1) != QLatin1String("--host-later");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                                QDBusConnection::ExportAllProperties) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")))
        return 1;
    return app.exec();
}

#include "snwatcher.moc"
