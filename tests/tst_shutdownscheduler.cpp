#include "TestHelpers.h"
#include "shutdown/ShutdownScheduler.h"

namespace {

QDateTime at(const QString& time)
{
    return QDateTime::fromString(time, Qt::ISODate);
}

// The scheduler on a hand-driven wall clock; the shutdown is only recorded.
struct Rig
{
    SettingsManager settings;
    ShutdownScheduler scheduler{&settings};
    QDateTime now;
    QStringList log;

    explicit Rig(const QString& start, int hour = 22, bool enabled = true)
        : now(at(start))
    {
        settings.setShutdownEnabled(enabled);
        settings.setShutdownHour(hour);
        settings.setShutdownMinute(0);
        scheduler.setClock([this] { return now; });
        scheduler.setShutdownAction([this] { log << "shutdown"; });
        QObject::connect(&scheduler, &ShutdownScheduler::warningStarted, [this](int s) {
            log << QStringLiteral("warning %1 at %2").arg(s).arg(now.toString("hh:mm:ss"));
        });
        QObject::connect(&scheduler, &ShutdownScheduler::shutdownNow, [this] { log << "shutdownNow"; });
        scheduler.start();
    }
    // Timeouts of the check timer, each as far on the clock as its interval.
    void tick(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            now = now.addMSecs(scheduler.checkInterval());
            invoke(&scheduler, "onTick");
        }
    }
    void tickUntil(const QString& logEntry, int limit)
    {
        for (int i = 0; i < limit && !log.contains(logEntry); ++i)
            tick();
    }
    void setHour(int hour, bool enabled = true)
    {
        settings.setShutdownEnabled(enabled);
        settings.setShutdownHour(hour);
        scheduler.onSettingsChanged();
    }
};

} // namespace

class TestShutdownScheduler : public QObject
{
    Q_OBJECT

private slots:
    void checksComeFasterAsTheTimeNears()
    {
        const QList<std::pair<const char*, int>> cases{
            {"20:59:59", 30000}, {"21:00:00", 10000}, {"21:54:59", 10000}, {"21:55:00", 5000},
            {"21:57:59", 5000},  {"21:58:00", 1000},  {"22:01:00", 30000}, // passed: almost a day ahead
        };
        for (auto [time, interval] : cases) {
            Rig rig(QStringLiteral("2026-12-06T") + time);
            QVERIFY(rig.scheduler.isChecking());
            QCOMPARE(rig.scheduler.checkInterval(), interval);
        }
    }

    // The warning comes 20 s before the set time, on the day the time falls (the
    // day before for midnight), and once a day only.
    void warnsThenShutsDownTwentySecondsLater()
    {
        for (auto [start, hour, warning, shutdownAt] :
             {std::tuple{"2026-12-06T21:59:30", 22, "21:59:31", "2026-12-06T21:59:51"},
              {"2026-12-06T22:01:00", 22, "21:59:01", "2026-12-07T21:59:21"}, // after the time: tomorrow
              {"2026-12-06T23:58:00", 0, "23:59:01", "2026-12-06T23:59:21"}}) {
            Rig rig(start, hour);
            rig.tickUntil("shutdown", 4000);
            QCOMPARE(rig.log, (QStringList{QStringLiteral("warning 20 at ") + warning, "shutdownNow", "shutdown"}));
            QCOMPARE(rig.now, at(shutdownAt));
            QVERIFY(rig.scheduler.lastWarningDate() == rig.now.date() &&
                    rig.scheduler.state() == ShutdownScheduler::Idle);
            rig.tick(hour ? 100 : 0); // no second attempt the same day
            QCOMPARE(rig.log.count("shutdown"), 1);
        }
    }

    void postponeGivesAFreshWaitEachTimeAndOffCancels()
    {
        Rig rig("2026-12-06T21:59:30");
        rig.tick(5);
        for (int round = 0; round < 2; ++round) {
            rig.scheduler.postpone();
            QCOMPARE(rig.scheduler.state(), ShutdownScheduler::Postponed);
            QCOMPARE(rig.scheduler.checkInterval(), 1000);
            rig.log.clear();
            rig.tick(299);
            QCOMPARE(rig.log, QStringList());
            rig.tick();
            QVERIFY(rig.log.size() == 1 && rig.log.first().startsWith("warning 20 at"));
            rig.tick(3);
        }
        rig.tick(17);
        QCOMPARE(rig.log.count("shutdown"), 1);
        // Postpone does nothing outside a warning; off stops the checks and cancels
        // a warning or a postponement.
        for (int phase = 0; phase < 3; ++phase) { // idle, warning, postponed
            Rig rig("2026-12-06T21:59:30", 22, phase != 0);
            rig.scheduler.postpone();
            QCOMPARE(rig.scheduler.state(), ShutdownScheduler::Idle);
            rig.tick(phase ? 3 : 0);
            if (phase == 2)
                rig.scheduler.postpone();
            rig.setHour(22, false);
            QVERIFY(rig.scheduler.state() == ShutdownScheduler::Idle && !rig.scheduler.isChecking());
        }
    }

    // After a warning, another the same day needs the shutdown switched off and on.
    void anotherWarningTheSameDayNeedsOffAndOn()
    {
        for (bool offAndOn : {false, true}) {
            Rig rig("2026-12-06T21:59:30");
            rig.tickUntil("shutdown", 100);
            if (offAndOn) {
                rig.setHour(22, false);
                QVERIFY(!rig.scheduler.isChecking() && !rig.scheduler.lastWarningDate().isValid());
            }
            rig.setHour(23);
            QVERIFY(!offAndOn || rig.scheduler.isChecking());
            rig.log.clear();
            while (rig.now < at("2026-12-06T23:30:00"))
                rig.tick();
            QCOMPARE(rig.log.value(0), offAndOn ? "warning 20 at 22:59:01" : "");
        }
    }
};

QTEST_GUILESS_MAIN(TestShutdownScheduler)
#include "tst_shutdownscheduler.moc"
