#include "app/SingleInstance.h"

#include <QApplication>
#include <QLocalServer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

// Starts the real program. What needs a real tray runs in tests/e2e.
class TestStartup : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_home.path());
        env.insert("XDG_CONFIG_HOME", m_home.path() + "/.config");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        return env;
    }

private slots:
    void withoutATrayTheProgramExitsWithOneAndTouchesNothing()
    {
        QProcess program;
        program.setProcessEnvironment(environment());
        program.start(RK_PROGRAM, {});
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        QVERIFY(!QDir(m_home.path() + "/.config/RespiteKeeper").exists());
        QVERIFY(!QDir(m_home.path() + "/.config/autostart").exists());
    }

    // This test plays the running copy: a started program must hand over and end.
    void aSecondCopyHandsOverAndExitsWithZero()
    {
        SingleInstance running(instanceChannel(QString::fromLatin1(SingleInstance::ServerName)));
        QCOMPARE(running.claim(this), SingleInstance::Outcome::Primary);
        QWidget settings;
        settings.setObjectName("RespiteKeeperSettings");
        connect(running.server(), &QLocalServer::newConnection, running.server(),
                [&running] { handleShowRequest(running.server()); });

        QProcess program;
        program.setProcessEnvironment(environment());
        program.start(RK_PROGRAM, {});
        QTRY_VERIFY_WITH_TIMEOUT(settings.isVisible(), 20000);
        QVERIFY(program.state() == QProcess::NotRunning || program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(!QDir(m_home.path() + "/.config/RespiteKeeper").exists());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
