#include "TestHelpers.h"
#include "shutdown/ShutdownScheduler.h"

namespace {

// The scheduler on a hand-driven wall clock, started; the shutdown is only recorded.
struct Rig
{
    SettingsManager settings;
    ShutdownScheduler scheduler{settings.shutdownTime()};
    QDateTime now;
    QStringList log;

    explicit Rig(const QString& start, int hour = 22, bool enabled = true)
        : now(QDateTime::fromString("2026-12-06T" + start, Qt::ISODate))
    {
        set(hour, enabled);
        scheduler.setClock([this] { return now; });
        scheduler.setShutdownAction([this] { log << "shutdown"; });
        QObject::connect(&scheduler, &ShutdownScheduler::warningStarted,
                         [this](int s) { log << now.toString("d hh:mm:ss") + QStringLiteral(" warning %1").arg(s); });
        QObject::connect(&scheduler, &ShutdownScheduler::shutdownNow, [this] { log << "shutdownNow"; });
        scheduler.start();
    }
    // Timeouts of the check timer, each as far on the clock as its interval, until
    // the log holds the entry or the limit; what was logged meanwhile.
    QString until(const QString& entry, int limit = 1)
    {
        log.clear();
        for (int i = 0; i < limit && !log.contains(entry); ++i) {
            now = now.addMSecs(scheduler.checkInterval());
            invoke(&scheduler, "onTick");
        }
        return log.join(", ");
    }
    void set(int hour, bool enabled = true)
    {
        settings.setShutdownEnabled(enabled);
        settings.setShutdownHour(hour);
        scheduler.setShutdownTime(settings.shutdownTime());
        scheduler.onSettingsChanged();
    }
};

} // namespace

class TestShutdownScheduler : public QObject
{
    Q_OBJECT

private slots:
    // Checks come faster as the time nears: every 30 s, then 10, 5 and 1. The
    // warning comes 20 s before the set time, on the day the time falls (the day
    // before for midnight), and once a day only.
    void warnsThenShutsDownTwentySecondsLater()
    {
        QList<int> intervals;
        for (const char* time : {"20:59:59", "21:00:00", "21:54:59", "21:55:00", "21:57:59", "21:58:00", "22:01:00"})
            intervals << Rig(time).scheduler.checkInterval();
        QCOMPARE(intervals, (QList<int>{30000, 10000, 10000, 5000, 5000, 1000, 30000}));
        for (auto [start, hour, expected] :
             {std::tuple{"21:59:30", 22, "6 21:59:31 warning 20, shutdownNow, shutdown|6 21:59:51"},
              {"22:01:00", 22, "7 21:59:01 warning 20, shutdownNow, shutdown|7 21:59:21"}, // tomorrow
              {"23:58:00", 0, "6 23:59:01 warning 20, shutdownNow, shutdown|6 23:59:21"}}) {
            Rig rig(start, hour);
            QCOMPARE(QStringList({rig.until("shutdown", 4000), rig.now.toString("d hh:mm:ss")}).join('|'),
                     QLatin1String(expected));
            QVERIFY(rig.scheduler.lastWarningDate() == rig.now.addSecs(60).date() && // the set time's day
                    rig.scheduler.state() == ShutdownScheduler::Idle);
            QCOMPARE(rig.until("shutdown", 100), QString()); // no second cycle for that set time
        }
    }

    // Another warning the same day needs the shutdown switched off and on.
    // Postpone gives a fresh wait of 300 s each time and does nothing outside a
    // warning; off stops the checks and cancels a warning or a postponement.
    void offAndPostpone()
    {
        for (bool offAndOn : {false, true}) {
            Rig rig("21:59:30");
            rig.until("shutdown", 100);
            if (offAndOn)
                rig.set(22, false);
            QVERIFY(rig.scheduler.isChecking() != offAndOn && rig.scheduler.lastWarningDate().isValid() != offAndOn);
            rig.set(23);
            QCOMPARE(rig.until("shutdown", 2000).left(21), offAndOn ? "6 22:59:01 warning 20" : "");
        }
        Rig rig("21:59:30");
        rig.until("", 5);
        for (int round = 0; round < 2; ++round) {
            rig.scheduler.postpone();
            QVERIFY(rig.scheduler.state() == ShutdownScheduler::Postponed && rig.scheduler.checkInterval() == 1000);
            QCOMPARE(rig.until("", 299), QString());
            QVERIFY(rig.until("", 4).endsWith(" warning 20"));
        }
        QCOMPARE(rig.until("shutdown", 20), QStringLiteral("shutdownNow, shutdown"));
        for (int phase = 0; phase < 3; ++phase) { // idle, warning, postponed
            Rig other("21:59:30");
            other.scheduler.postpone();
            QCOMPARE(other.scheduler.state(), ShutdownScheduler::Idle);
            other.until("", phase ? 3 : 0);
            if (phase == 2)
                other.scheduler.postpone();
            QVERIFY(int(other.scheduler.state()) == phase && other.scheduler.isChecking());
            other.set(22, false);
            QVERIFY(other.scheduler.state() == ShutdownScheduler::Idle && !other.scheduler.isChecking());
        }
    }
};

QTEST_GUILESS_MAIN(TestShutdownScheduler)
#include "tst_shutdownscheduler.moc"
