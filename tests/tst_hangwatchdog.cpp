#include "platform/HangWatchdog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <atomic>

using namespace std::chrono_literals;

class TestHangWatchdog : public QObject
{
    Q_OBJECT

private slots:
    void firesWhenTheEventLoopIsBlockedWhileArmed()
    {
        std::atomic<int> fired{0};
        std::atomic<qint64> firedAfter{-1};
        QElapsedTimer blocked;
        HangWatchdog watchdog(100ms, [&] {
            firedAfter = blocked.elapsed();
            ++fired;
        });
        watchdog.arm();
        blocked.start();
        // The GUI thread stops answering, as in a hang.
        while (blocked.elapsed() < 1000 && fired == 0)
            QThread::msleep(10);
        QCOMPARE(fired.load(), 1);
        QVERIFY2(firedAfter >= 100, qPrintable(QString::number(firedAfter)));
        QVERIFY(!watchdog.isArmed());
    }

    void doesNotFireWhileTheEventLoopRuns()
    {
        std::atomic<int> fired{0};
        HangWatchdog watchdog(200ms, [&] { ++fired; });
        watchdog.arm();
        QElapsedTimer running;
        running.start();
        while (running.elapsed() < 600)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCOMPARE(fired.load(), 0);
        watchdog.disarm();
    }

    void neverFiresWhileDisarmed()
    {
        std::atomic<int> fired{0};
        HangWatchdog watchdog(100ms, [&] { ++fired; });
        watchdog.arm();
        watchdog.disarm();
        QThread::msleep(300);
        QCOMPARE(fired.load(), 0);
    }
};

QTEST_GUILESS_MAIN(TestHangWatchdog)
#include "tst_hangwatchdog.moc"
