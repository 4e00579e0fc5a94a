#include "TestHelpers.h"
#include "platform/SystemShutdown.h"

// The real shutdown path against stand-ins: a system bus address that leads
// nowhere, and fake shutdown commands first on PATH that only record their call.
class TestSystemShutdown : public QObject
{
    Q_OBJECT

private slots:
    // Without logind the shutdown command runs; one that hangs does not block.
    void fallsBackToTheShutdownCommand()
    {
        QTemporaryDir dir;
        const QByteArray root = QFile::encodeName(dir.path());
        for (const char* name : {"shutdown", "systemctl", "poweroff", "halt"}) {
            const QString fake = dir.path() + "/" + name;
            QVERIFY(writeFile(fake, "#!/bin/sh\necho \"" + QByteArray(name) + " $*\" >> '" + root +
                                        "/calls'\nexec </dev/null >/dev/null 2>&1\nsleep 10\n") &&
                    QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
        qputenv("PATH", root + ":" + qgetenv("PATH"));
        QTest::ignoreMessage(
            QtDebugMsg, QRegularExpression("^logind CanPowerOff failed with error: org.freedesktop.DBus.Error.* \\)$"));
        QTest::ignoreMessage(QtDebugMsg, "Falling back to shutdown -P now");
        const QDeadlineTimer deadline(2000);
        shutdownSystem();
        QVERIFY(!deadline.hasExpired());
        QTRY_COMPARE(readFile(dir.path() + "/calls"), QByteArray("shutdown -P now\n"));
    }
};

QTEST_GUILESS_MAIN(TestSystemShutdown)
#include "tst_systemshutdown.moc"
