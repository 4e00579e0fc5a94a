#include "settings/SettingsManager.h"
#include "shutdown/ShutdownScheduler.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// The scheduler on a hand-driven wall clock; the shutdown only counts.
struct Rig
{
    SettingsManager settings;
    ShutdownScheduler scheduler{&settings};
    QDateTime now;
    int shutdowns = 0;
    QStringList log;

    explicit Rig(const QString& start, int hour = 22, int minute = 0, bool enabled = true)
        : now(QDateTime::fromString(start, Qt::ISODate))
    {
        settings.setShutdownEnabled(enabled);
        settings.setShutdownHour(hour);
        settings.setShutdownMinute(minute);
        scheduler.setClock([this] { return now; });
        scheduler.setShutdownAction([this] {
            ++shutdowns;
            log << "shutdown";
        });
        QObject::connect(&scheduler, &ShutdownScheduler::warningStarted, [this](int s) {
            log << QStringLiteral("warning %1 at %2").arg(s).arg(now.toString("hh:mm:ss"));
        });
        QObject::connect(&scheduler, &ShutdownScheduler::shutdownNow, [this] { log << "shutdownNow"; });
    }

    // One timeout of the check timer, as far on the clock as its interval.
    void tick(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            now = now.addMSecs(scheduler.checkInterval());
            QMetaObject::invokeMethod(&scheduler, "onTick", Qt::DirectConnection);
        }
    }
    void tickUntil(const QString& logEntry, int limit)
    {
        for (int i = 0; i < limit && !log.contains(logEntry); ++i)
            tick();
    }
};

} // namespace

class TestShutdownScheduler : public QObject
{
    Q_OBJECT

private slots:
    void checksComeFasterAsTheTimeNears_data()
    {
        QTest::addColumn<QString>("clock");
        QTest::addColumn<int>("interval");
        QTest::newRow("more than an hour ahead") << "2026-12-06T20:59:59" << 30000;
        QTest::newRow("exactly an hour") << "2026-12-06T21:00:00" << 10000;
        QTest::newRow("five minutes and a second") << "2026-12-06T21:54:59" << 10000;
        QTest::newRow("exactly five minutes") << "2026-12-06T21:55:00" << 5000;
        QTest::newRow("two minutes and a second") << "2026-12-06T21:57:59" << 5000;
        QTest::newRow("exactly two minutes") << "2026-12-06T21:58:00" << 1000;
        QTest::newRow("passed a minute ago: almost a day") << "2026-12-06T22:01:00" << 30000;
    }

    void checksComeFasterAsTheTimeNears()
    {
        QFETCH(QString, clock);
        Rig rig(clock);
        rig.scheduler.start();
        QVERIFY(rig.scheduler.isChecking());
        QTEST(rig.scheduler.checkInterval(), "interval");
    }

    // The warning comes 20 s before the set time, on the day the time falls (the
    // day before for midnight), and once a day only.
    void warnsThenShutsDownTwentySecondsLater_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("hour");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QDateTime>("shutdownAt");
        QTest::newRow("today") << "2026-12-06T21:59:30" << 22 << "warning 20 at 21:59:31"
                               << QDateTime::fromString("2026-12-06T21:59:51", Qt::ISODate);
        QTest::newRow("started after the time: tomorrow") << "2026-12-06T22:01:00" << 22 << "warning 20 at 21:59:01"
                                                          << QDateTime::fromString("2026-12-07T21:59:21", Qt::ISODate);
        QTest::newRow("midnight: the evening before") << "2026-12-06T23:58:00" << 0 << "warning 20 at 23:59:01"
                                                      << QDateTime::fromString("2026-12-06T23:59:21", Qt::ISODate);
    }

    void warnsThenShutsDownTwentySecondsLater()
    {
        QFETCH(QString, start);
        QFETCH(int, hour);
        QFETCH(QDateTime, shutdownAt);
        Rig rig(start, hour);
        rig.scheduler.start();
        rig.tickUntil("shutdown", 4000);
        QTEST(rig.log.value(0), "warning");
        QCOMPARE(rig.log.mid(1), (QStringList{"shutdownNow", "shutdown"}));
        QCOMPARE(rig.now, shutdownAt);
        QCOMPARE(rig.scheduler.lastWarningDate(), rig.now.date());
        QCOMPARE(rig.scheduler.state(), ShutdownScheduler::Idle);
        rig.tick(hour ? 100 : 0); // no second attempt the same day
        QCOMPARE(rig.shutdowns, 1);
    }

    void postponeGivesAFreshWaitEachTime()
    {
        Rig rig("2026-12-06T21:59:30");
        rig.scheduler.start();
        rig.tick(5);
        for (int round = 0; round < 2; ++round) {
            rig.scheduler.postpone();
            QCOMPARE(rig.scheduler.state(), ShutdownScheduler::Postponed);
            QCOMPARE(rig.scheduler.checkInterval(), 1000);
            rig.log.clear();
            rig.tick(299);
            QCOMPARE(rig.log, QStringList());
            rig.tick();
            QCOMPARE(rig.log.size(), 1);
            QVERIFY(rig.log.first().startsWith("warning 20 at"));
            rig.tick(3);
        }
        rig.tick(17);
        QCOMPARE(rig.shutdowns, 1);
    }

    void anotherWarningTheSameDayNeedsOffAndOn()
    {
        Rig rig("2026-12-06T21:59:30");
        rig.scheduler.start();
        rig.tickUntil("shutdown", 100);
        rig.log.clear();
        rig.settings.setShutdownHour(23);
        rig.scheduler.onSettingsChanged();
        while (rig.now < QDateTime::fromString("2026-12-06T23:30:00", Qt::ISODate))
            rig.tick();
        QCOMPARE(rig.log, QStringList());

        Rig again("2026-12-06T21:59:30");
        again.scheduler.start();
        again.tickUntil("shutdown", 100);
        again.settings.setShutdownEnabled(false);
        again.scheduler.onSettingsChanged();
        QVERIFY(!again.scheduler.isChecking());
        QVERIFY(!again.scheduler.lastWarningDate().isValid());
        again.settings.setShutdownEnabled(true);
        again.settings.setShutdownHour(23);
        again.scheduler.onSettingsChanged();
        QVERIFY(again.scheduler.isChecking());
        again.log.clear();
        again.tickUntil("shutdown", 2000);
        QCOMPARE(again.log.first(), QStringLiteral("warning 20 at 22:59:01"));
        QCOMPARE(again.now.date(), QDate(2026, 12, 6));
    }

    // Off stops the checks and cancels a warning or a postponement; postpone does
    // nothing outside a warning.
    void offAndPostponeOutsideAWarning()
    {
        for (int phase = 0; phase < 3; ++phase) { // idle, warning, postponed
            Rig rig("2026-12-06T21:59:30", 22, 0, phase != 0);
            rig.scheduler.start();
            rig.scheduler.postpone();
            QCOMPARE(rig.scheduler.state(), ShutdownScheduler::Idle);
            rig.tick(phase ? 3 : 0);
            if (phase == 2)
                rig.scheduler.postpone();
            rig.settings.setShutdownEnabled(false);
            rig.scheduler.onSettingsChanged();
            QCOMPARE(rig.scheduler.state(), ShutdownScheduler::Idle);
            QVERIFY(!rig.scheduler.isChecking());
        }
    }
};

QTEST_GUILESS_MAIN(TestShutdownScheduler)
#include "tst_shutdownscheduler.moc"
