#include "app/SingleInstance.h"
#include "platform/linux/RuntimeDirectory.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

class TestSingleInstance : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_serial = 0;

    InstanceChannel freshChannel()
    {
        const QString base = m_dir.path() + QStringLiteral("/channel%1").arg(++m_serial);
        return {base, base + ".lock", QLocalServer::UserAccessOption};
    }

    // Sends bytes to the server as another program would, then lets the handler run.
    static void request(QLocalServer& server, const QByteArray& bytes)
    {
        QLocalSocket client;
        client.connectToServer(server.fullServerName());
        QVERIFY(client.waitForConnected(1000));
        if (!bytes.isEmpty()) {
            client.write(bytes);
            QVERIFY(client.waitForBytesWritten(1000));
        }
        QVERIFY(server.waitForNewConnection(1000));
        handleShowRequest(&server);
    }

private slots:
    // Every start of the user must meet in one folder, with or without XDG_RUNTIME_DIR.
    void startsWithoutTheRuntimeVariableMeetInTheSystemUserFolder()
    {
        qputenv("TMPDIR", QFile::encodeName(m_dir.path())); // where the last fallback goes
        const QString perUser = m_dir.path() + "/run-user-uid";
        QVERIFY(QDir().mkdir(perUser));
        QFile::setPermissions(perUser, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(userRuntimeDirectory(perUser, perUser), perUser);
        QCOMPARE(userRuntimeDirectory(QString(), perUser), perUser);

        QFile::setPermissions(perUser, QFile::permissions(perUser) | QFile::ReadOther | QFile::ExeOther);
        const QString fallback = userRuntimeDirectory(QString(), perUser);
        QVERIFY(fallback.startsWith(m_dir.path() + "/RespiteKeeper-"));
        QCOMPARE(userRuntimeDirectory(QString(), m_dir.path() + "/missing"), fallback);
    }

    void showRequestBringsTheSettingsWindowForward_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("shown");
        QTest::newRow("show") << QByteArray("show") << true;
        QTest::newRow("show followed by more bytes") << QByteArray("show me everything\n") << true;
        QTest::newRow("upper case") << QByteArray("SHOW") << false;
        QTest::newRow("other text") << QByteArray("hello") << false;
        QTest::newRow("too short") << QByteArray("sho") << false;
    }

    void showRequestBringsTheSettingsWindowForward()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, shown);
        QWidget other;
        other.setObjectName("SomethingElse");
        QWidget settings;
        settings.setObjectName("RespiteKeeperSettings");
        QWidget child(&other);
        child.setObjectName("RespiteKeeperSettings");
        settings.showMinimized();
        settings.hide();

        QLocalServer server;
        QVERIFY(server.listen(m_dir.path() + "/handler"));
        request(server, bytes);
        QCOMPARE(settings.isVisible(), shown);
        QCOMPARE(other.isVisible(), false);
        if (shown)
            QVERIFY(!settings.isMinimized());
    }

    void emptyConnectionIsClosedWithinTheReadWait()
    {
        QWidget settings;
        settings.setObjectName("RespiteKeeperSettings");
        QLocalServer server;
        QVERIFY(server.listen(m_dir.path() + "/silent"));
        QElapsedTimer timer;
        timer.start();
        request(server, QByteArray());
        QVERIFY(timer.elapsed() < 1000);
        QVERIFY(!settings.isVisible());
        handleShowRequest(&server); // no pending connection: nothing happens
    }

    void secondCopyHandsOverToTheFirst()
    {
        const InstanceChannel channel = freshChannel();
        SingleInstance first(channel);
        QCOMPARE(first.claim(this), SingleInstance::Outcome::Primary);
        QVERIFY(first.server()->isListening());

        SingleInstance second(channel);
        QCOMPARE(second.claim(this), SingleInstance::Outcome::HandedOver);
        QCOMPARE(second.server(), nullptr);

        QWidget settings;
        settings.setObjectName("RespiteKeeperSettings");
        QVERIFY(first.server()->waitForNewConnection(1000));
        handleShowRequest(first.server());
        QVERIFY(settings.isVisible());
    }

    void staleServerNameIsReplacedByTheLockHolder()
    {
        const InstanceChannel channel = freshChannel();
        {
            // A copy that died left its socket file behind.
            QFile leftover(channel.serverName);
            QVERIFY(leftover.open(QIODevice::WriteOnly));
        }
        SingleInstance instance(channel);
        QCOMPARE(instance.claim(this), SingleInstance::Outcome::Primary);
        QVERIFY(instance.server()->isListening());
    }

    void lockHolderThatDoesNotAnswerIsNotJoined()
    {
        const InstanceChannel channel = freshChannel();
        QLockFile holder(channel.lockFilePath);
        QVERIFY(holder.tryLock(0));
        SingleInstance late(channel);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(late.claim(this), SingleInstance::Outcome::HandedOver);
        QVERIFY(timer.elapsed() < 2000);
        QVERIFY(!QFile::exists(channel.serverName));
    }

    void unusableLockFolderStillStartsTheProgram()
    {
        InstanceChannel channel = freshChannel();
        channel.lockFilePath = m_dir.path() + "/missing/folder/x.lock";
        SingleInstance instance(channel);
        QCOMPARE(instance.claim(this), SingleInstance::Outcome::Primary);
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
