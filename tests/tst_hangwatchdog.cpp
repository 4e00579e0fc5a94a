#include "TestHelpers.h"
#include "platform/HangMeter.h"
#include "platform/HangWatchdog.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

using Ms = std::chrono::milliseconds;

class TestHangWatchdog : public QObject
{
    Q_OBJECT

private slots:
    // Fires once when the GUI thread stops answering while armed, as in a hang;
    // never while the event loop runs, nor for a stop of the whole process, nor
    // after it is disarmed.
    void firesOnlyWhenTheEventLoopIsBlockedWhileArmed()
    {
        const QString sh = QStandardPaths::findExecutable(QStringLiteral("sh"));
        if (sh.isEmpty())
            QSKIP("no sh to stop and continue this process");
        QElapsedTimer clock;
        std::atomic<qint64> firedAfter{-1};
        HangWatchdog watchdog(Ms(300), [&] { firedAfter = firedAfter < 0 ? clock.elapsed() : 99999; });
        watchdog.arm();
        QTest::qWait(600); // the event loop runs
        QCOMPARE(firedAfter.load(), -1);
        // The whole process is stopped for over three timeouts while the GUI thread
        // waits for the stopping process; after it, the GUI thread is busy for a
        // third of a timeout before its event loop runs again.
        const QString pid = QString::number(QCoreApplication::applicationPid());
        QCOMPARE(
            QProcess::execute(sh, {QStringLiteral("-c"), QStringLiteral("kill -STOP $0; sleep 1; kill -CONT $0"), pid}),
            0);
        QThread::msleep(100);
        QTest::qWait(600);
        QCOMPARE(firedAfter.load(), -1);
        for (clock.start(); clock.elapsed() < 3000 && firedAfter < 0;)
            QThread::msleep(10);
        // The last heartbeat came up to one beat (30 ms) before the block, and more
        // when the system let the thread wait.
        QVERIFY2(firedAfter >= 250 && firedAfter < 3000 && !watchdog.isArmed(),
                 qPrintable(QString::number(firedAfter)));
        watchdog.arm();
        watchdog.disarm();
        QThread::msleep(600);
        QVERIFY(firedAfter < 3000);
    }

    // The meter by hand (a timeout of 1000 ms, a wake-up every 100 ms): a stop,
    // wherever it falls in a silence of the GUI thread, counts for nothing and
    // gives the GUI thread a fresh window; a silence after it that lasts the
    // timeout of time seen awake is a hang, also with wake-ups somewhat late.
    void aStopWhereverItFallsIsNoHangButASilenceAfterItIs()
    {
        for (int silentBefore = 0; silentBefore < 10; ++silentBefore) {
            HangMeter meter(Ms(1000), Ms(100));
            Ms now(5000);
            meter.restart(now, 7);
            QVERIFY(!meter.hung(now += Ms(100), 8)); // a heartbeat
            for (int i = 0; i < silentBefore; ++i)
                QVERIFY(!meter.hung(now += Ms(100), 8));
            // The process is stopped for 20 s: the wake-up due comes that much later
            // (the stop fell in the sleep, or between the wake-up and the clock).
            QVERIFY2(!meter.hung(now += Ms(20100), 8), qPrintable(QString::number(silentBefore)));
            for (int i = 0; i < 9; ++i)
                QVERIFY2(!meter.hung(now += Ms(100), 8), qPrintable(QString::number(i)));
            QVERIFY(meter.hung(now += Ms(100), 8));

            // A stop after the clock was read: the next wake-up is the late one.
            meter.restart(now, 9);
            QVERIFY(!meter.hung(now += Ms(100), 9));
            QVERIFY(!meter.hung(now += Ms(20100), 9));
            // Wake-ups half an interval late still count, all of their time.
            for (int i = 0; i < 6; ++i)
                QVERIFY(!meter.hung(now += Ms(150), 9));
            QVERIFY(meter.hung(now += Ms(150), 9));
        }
    }
};

QTEST_GUILESS_MAIN(TestHangWatchdog)
#include "tst_hangwatchdog.moc"
