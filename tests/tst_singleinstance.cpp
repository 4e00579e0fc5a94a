#include "TestHelpers.h"
#include "app/SingleInstance.h"
#include "platform/linux/RuntimeDirectory.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

class TestSingleInstance : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_serial = 0;
    InstanceChannel freshChannel()
    {
        const QString base = m_dir.path() + QStringLiteral("/channel%1").arg(++m_serial);
        return {base, base + ".lock"};
    }

private slots:
    // Every start of the user must meet in one folder, with or without
    // XDG_RUNTIME_DIR; one that others may read is not used.
    void startsWithoutTheRuntimeVariableMeetInTheSystemUserFolder()
    {
        qputenv("TMPDIR", QFile::encodeName(m_dir.path())); // where the last fallback goes
        const QString perUser = m_dir.path() + "/run-user-uid";
        QVERIFY(QDir().mkdir(perUser, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(userRuntimeDirectory(perUser, perUser) == perUser &&
                userRuntimeDirectory(QString(), perUser) == perUser);
        QFile::setPermissions(perUser, QFile::permissions(perUser) | QFile::ReadGroup | QFile::ExeGroup);
        const QString fallback = userRuntimeDirectory(QString(), perUser);
        QVERIFY(fallback.startsWith(m_dir.path() + "/RespiteKeeper-"));
        QCOMPARE(userRuntimeDirectory(QString(), m_dir.path() + "/missing"), fallback);
    }

    // "show", also with more after it, brings the top-level settings window
    // forward, shown normally; anything else, or nothing, does nothing.
    void showRequestBringsTheSettingsWindowForward()
    {
        QWidget other;
        QWidget child(&other);
        child.setObjectName("RespiteKeeperSettings");
        for (const char* bytes : {"show", "show me everything\n", "SHOW", "sho", ""}) {
            QWidget settings;
            settings.setObjectName("RespiteKeeperSettings");
            settings.setWindowState(Qt::WindowMinimized);
            InstanceServer server;
            const QString name = freshChannel().serverName;
            const QDeadlineTimer deadline(1000);
            QVERIFY(server.listen(name) && sendToRunningCopy(name, bytes, 1000, 1000));
            QSignalSpy connections(&server, &InstanceServer::newConnection);
            QVERIFY(connections.wait(1000));
            handleShowRequest(&server);
            const bool shown = QByteArray(bytes).startsWith("show");
            QVERIFY(settings.isVisible() == shown && settings.isMinimized() != shown && !other.isVisible() &&
                    !deadline.hasExpired());
        }
    }

    // A client that connects and says nothing holds the handler no longer than the
    // read wait; a name nobody serves takes no request.
    void silentClientIsDropped()
    {
        InstanceServer server;
        const QString name = freshChannel().serverName;
        QVERIFY(server.listen(name) && !sendToRunningCopy(name + "-none", "show", 100, 100));
        const int client = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address = {AF_UNIX, {}};
        qstrncpy(address.sun_path, QFile::encodeName(name).constData(), sizeof(address.sun_path));
        QVERIFY(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0);
        QSignalSpy connections(&server, &InstanceServer::newConnection);
        QVERIFY(connections.wait(1000));
        QElapsedTimer held;
        held.start();
        QVERIFY(server.readNextRequest(200).isEmpty() && held.elapsed() >= 190 && held.elapsed() < 2000);
        close(client);
    }

    // Without a usable lock folder the program still starts. (The first copy
    // serving and the next handing over, a copy that died or stopped: the
    // real-display run, with real processes.)
    void claimWithoutALockFolder()
    {
        InstanceChannel noFolder = freshChannel();
        noFolder.lockFilePath = m_dir.path() + "/missing/folder/x.lock";
        QCOMPARE(SingleInstance(noFolder).claim(this), SingleInstance::Outcome::Primary);
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
