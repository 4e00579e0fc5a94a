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
    // Fires once when the GUI thread stops answering while armed, as in a hang;
    // never while the event loop runs or after it is disarmed.
    void firesOnlyWhenTheEventLoopIsBlockedWhileArmed()
    {
        std::atomic<int> fired{0};
        std::atomic<qint64> firedAfter{-1};
        QElapsedTimer clock;
        HangWatchdog watchdog(200ms, [&] {
            firedAfter = clock.elapsed();
            ++fired;
        });
        watchdog.arm();
        clock.start();
        while (clock.elapsed() < 600)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCOMPARE(fired.load(), 0);
        clock.start();
        while (clock.elapsed() < 2000 && fired == 0)
            QThread::msleep(10);
        QVERIFY2(fired == 1 && firedAfter >= 200, qPrintable(QString::number(firedAfter)));
        QVERIFY(!watchdog.isArmed());
        watchdog.arm();
        watchdog.disarm();
        QThread::msleep(400);
        QCOMPARE(fired.load(), 1);
    }
};

QTEST_GUILESS_MAIN(TestHangWatchdog)
#include "tst_hangwatchdog.moc"
