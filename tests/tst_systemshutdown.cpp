#include "platform/SystemShutdown.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
QStringList s_debug;
void collect(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtDebugMsg)
        s_debug << message;
}
} // namespace

// The real shutdown path against stand-ins: a system bus address that leads
// nowhere, and fake shutdown commands first on PATH that only record their call.
class TestSystemShutdown : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_calls;

    void writeFake(const QString& name, const QByteArray& body)
    {
        QFile fake(m_dir.path() + "/bin/" + name);
        QVERIFY(fake.open(QIODevice::WriteOnly));
        fake.write("#!/bin/sh\n" + body);
        fake.close();
        fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void fakeShutdown(const QByteArray& extra)
    {
        writeFake("shutdown", "echo \"shutdown $*\" >> '" + m_calls.toLocal8Bit() + "'\n" + extra);
    }
    QString recordedCalls() const
    {
        QFile file(m_calls);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    bool safe() const
    {
        return qEnvironmentVariable("PATH").startsWith(m_dir.path() + "/bin:") &&
               qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS").contains(m_dir.path());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir().mkpath(m_dir.path() + "/bin"));
        m_calls = m_dir.path() + "/calls";
        for (const char* name : {"systemctl", "poweroff", "halt"})
            writeFake(name, "echo \"$0 $*\" >> '" + m_calls.toLocal8Bit() + "'\n");
        qputenv("PATH", (m_dir.path() + "/bin:" + qEnvironmentVariable("PATH")).toLocal8Bit());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + m_dir.path() + "/no-system-bus").toLocal8Bit());
        QVERIFY(safe());
    }

    void init()
    {
        QFile::remove(m_calls);
        s_debug.clear();
    }

    void fallsBackToTheShutdownCommand()
    {
        fakeShutdown("");
        QVERIFY(safe());
        qInstallMessageHandler(collect);
        shutdownSystem();
        qInstallMessageHandler(nullptr);
        QCOMPARE(s_debug.size(), 2);
        QVERIFY2(s_debug.at(0).startsWith("logind CanPowerOff failed with error: org.freedesktop.DBus.Error."),
                 qPrintable(s_debug.at(0)));
        QVERIFY(s_debug.at(0).endsWith(" )"));
        QCOMPARE(s_debug.at(1), QStringLiteral("Falling back to shutdown -P now"));
        QTRY_COMPARE(recordedCalls(), QStringLiteral("shutdown -P now\n"));
    }

    void aHangingCommandDoesNotBlock()
    {
        fakeShutdown("exec </dev/null >/dev/null 2>&1\nsleep 10\n");
        QVERIFY(safe());
        QElapsedTimer timer;
        timer.start();
        shutdownSystem();
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
        QTRY_COMPARE(recordedCalls(), QStringLiteral("shutdown -P now\n"));
    }
};

QTEST_GUILESS_MAIN(TestSystemShutdown)
#include "tst_systemshutdown.moc"
