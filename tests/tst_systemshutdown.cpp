#include "TestHelpers.h"
#include "platform/SystemShutdown.h"

#include <QElapsedTimer>

// The real shutdown path against stand-ins: a system bus address that leads
// nowhere, and fake shutdown commands first on PATH that only record their call.
class TestSystemShutdown : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString calls() const
    {
        QFile file(m_dir.path() + "/calls");
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    // Every command that could shut down records its call (the fake shutdown may
    // do more). The test goes on only when all of them are in place.
    bool fakeCommands(const QByteArray& shutdownExtra)
    {
        QFile::remove(m_dir.path() + "/calls");
        QDir().mkpath(m_dir.path() + "/bin");
        for (const char* name : {"shutdown", "systemctl", "poweroff", "halt"}) {
            QFile fake(m_dir.path() + "/bin/" + name);
            if (!fake.open(QIODevice::WriteOnly))
                return false;
            fake.write("#!/bin/sh\necho \"" + QByteArray(name) + " $*\" >> '" + QFile::encodeName(m_dir.path()) +
                       "/calls'\n" + (qstrcmp(name, "shutdown") ? "" : shutdownExtra));
            if (!fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
                return false;
        }
        qputenv("PATH", QFile::encodeName(m_dir.path()) + "/bin:" + qgetenv("PATH"));
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + QFile::encodeName(m_dir.path()) + "/no-system-bus");
        return qEnvironmentVariable("PATH").startsWith(m_dir.path() + "/bin:") &&
               qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS").contains(m_dir.path());
    }

private slots:
    // Without logind the shutdown command runs, and one that hangs does not block.
    void fallsBackToTheShutdownCommand()
    {
        QVERIFY(fakeCommands("exec </dev/null >/dev/null 2>&1\nsleep 10\n"));
        MessageLog debug(QtDebugMsg);
        QElapsedTimer timer;
        timer.start();
        shutdownSystem();
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(debug.messages.size(), 2);
        QVERIFY2(debug.messages.at(0).startsWith("logind CanPowerOff failed with error: org.freedesktop.DBus.Error.") &&
                     debug.messages.at(0).endsWith(" )"),
                 qPrintable(debug.messages.at(0)));
        QCOMPARE(debug.messages.at(1), QStringLiteral("Falling back to shutdown -P now"));
        QTRY_COMPARE(calls(), QStringLiteral("shutdown -P now\n"));
    }
};

QTEST_GUILESS_MAIN(TestSystemShutdown)
#include "tst_systemshutdown.moc"
