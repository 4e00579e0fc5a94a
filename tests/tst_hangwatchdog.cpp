#include "TestHelpers.h"
#include "platform/HangWatchdog.h"

#include <QElapsedTimer>
#include <QThread>

class TestHangWatchdog : public QObject
{
    Q_OBJECT

private slots:
    // Fires once when the GUI thread stops answering while armed, as in a hang;
    // never while the event loop runs or after it is disarmed.
    void firesOnlyWhenTheEventLoopIsBlockedWhileArmed()
    {
        QElapsedTimer clock;
        std::atomic<qint64> firedAfter{-1};
        HangWatchdog watchdog(std::chrono::milliseconds(200),
                              [&] { firedAfter = firedAfter < 0 ? clock.elapsed() : 99999; });
        watchdog.arm();
        QTest::qWait(600); // the event loop runs
        QCOMPARE(firedAfter.load(), -1);
        for (clock.start(); clock.elapsed() < 2000 && firedAfter < 0;)
            QThread::msleep(10);
        // The last heartbeat came up to one beat (20 ms) before the block, and more
        // when the system let the thread wait.
        QVERIFY2(firedAfter >= 150 && firedAfter < 2000 && !watchdog.isArmed(),
                 qPrintable(QString::number(firedAfter)));
        watchdog.arm();
        watchdog.disarm();
        QThread::msleep(400);
        QVERIFY(firedAfter < 2000);
    }
};

QTEST_GUILESS_MAIN(TestHangWatchdog)
#include "tst_hangwatchdog.moc"
