#include "platform/SystemShutdown.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDebug>
#include <QProcess>

namespace {

constexpr int DBusTimeoutMs = 3000;

QDBusMessage callLogind(QDBusConnection& bus, const QString& method, const QVariantList& arguments = {})
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.login1"),
                                                       QStringLiteral("/org/freedesktop/login1"),
                                                       QStringLiteral("org.freedesktop.login1.Manager"), method);
    call.setArguments(arguments);
    return bus.call(call, QDBus::Block, DBusTimeoutMs);
}

// logind's PowerOff on the system bus; true when the power-off has begun.
bool powerOffThroughLogind()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        qDebug().noquote() << "logind CanPowerOff failed with error:" << bus.lastError().name() << "("
                           << bus.lastError().message() << ")";
        return false;
    }
    const QDBusMessage can = callLogind(bus, QStringLiteral("CanPowerOff"));
    if (can.type() != QDBusMessage::ReplyMessage) {
        qDebug().noquote() << "logind CanPowerOff failed with error:" << can.errorName() << "(" << can.errorMessage()
                           << ")";
        return false;
    }
    const QString answer = can.arguments().value(0).toString();
    qDebug().noquote() << "logind CanPowerOff:" << answer;
    if (answer != QLatin1String("yes") && answer != QLatin1String("challenge"))
        return false;
    const QDBusMessage reply = callLogind(bus, QStringLiteral("PowerOff"), {false});
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qDebug().noquote() << "logind PowerOff failed with error:" << reply.errorName() << "(" << reply.errorMessage()
                           << ")";
        return false;
    }
    return true;
}

} // namespace

void shutdownSystem()
{
    if (powerOffThroughLogind())
        return;
    qDebug() << "Falling back to shutdown -P now";
    QProcess::startDetached(QStringLiteral("shutdown"), {QStringLiteral("-P"), QStringLiteral("now")}, QString());
}
