#include "TestHelpers.h"
#include "platform/TickDifference.h"
#include "settings/SettingsManager.h"

#include <QTest>

namespace {

// A scheduler on a hand-driven clock; every signal is recorded in order.
struct Rig
{
    StoredSettings stored;
    SettingsManager settings;
    BreakScheduler scheduler{&settings};
    ManualClock clock;
    QStringList log;

    explicit Rig(const QVariantMap& values = {})
        : stored(values)
    {
        settings.load();
        clock.drive(scheduler);
        QObject::connect(&scheduler, &BreakScheduler::warningStarted,
                         [this](BreakType t, int s) { log << QStringLiteral("warning %1 %2").arg(t).arg(s); });
        QObject::connect(&scheduler, &BreakScheduler::breakStarted, [this](BreakType t, const QString&, int d) {
            log << QStringLiteral("started %1 %2").arg(t).arg(d);
        });
        QObject::connect(&scheduler, &BreakScheduler::breakFinished,
                         [this](BreakType t) { log << QStringLiteral("finished %1").arg(t); });
        QObject::connect(&scheduler, &BreakScheduler::runningChanged, [this] { log << QStringLiteral("running"); });
        QObject::connect(&scheduler, &BreakScheduler::breakStateChanged, [this] { log << QStringLiteral("state"); });
    }
    void tick(int count = 1, qint64 stepMs = 1000) { clock.tick(scheduler, count, stepMs); }
    QStringList take() { return std::exchange(log, {}); }
    BreakScheduler::SchedulerState state() const { return scheduler.state(); }
    int remaining() const { return scheduler.remainingSeconds(); }
    // Runs the working countdown and the warning down to the start of the break.
    void runToBreak()
    {
        tick(remaining());
        tick(BreakScheduler::WarningSeconds);
        QCOMPARE(state(), BreakScheduler::OnBreak);
    }
};

} // namespace

class TestBreakScheduler : public QObject
{
    Q_OBJECT

private slots:
    void defaultRhythmIsMicroMicroLong()
    {
        Rig rig;
        rig.scheduler.start();
        QCOMPARE(rig.take(), QStringList{"running"});
        for (int cycle = 1; cycle <= 6; ++cycle) {
            const QString type = cycle % 3 == 0 ? "1" : "0";
            rig.tick(1199);
            QCOMPARE(rig.take(), QStringList());
            rig.tick();
            QCOMPARE(rig.take(), (QStringList{"warning " + type + " 10", "state"}));
            rig.tick(9);
            QCOMPARE(rig.take(), QStringList());
            rig.tick();
            QCOMPARE(rig.take(), (QStringList{"state", "started " + type + (type == "1" ? " 300" : " 20")}));
            rig.tick(rig.remaining() - 1);
            QCOMPARE(rig.take(), QStringList());
            rig.tick();
            QCOMPARE(rig.take(), (QStringList{"state", "finished " + type}));
            QCOMPARE(rig.scheduler.completedBreaks(), cycle);
        }
    }

    void breaksPerLongBreakIsTheTruncatedRatio_data()
    {
        QTest::addColumn<int>("microInterval");
        QTest::addColumn<int>("longInterval");
        QTest::addColumn<QString>("rhythm");
        QTest::newRow("equal intervals: every break long") << 60 << 60 << "LLLL";
        QTest::newRow("long shorter than micro: every break long") << 120 << 60 << "LLLL";
        QTest::newRow("3000 over 1200 truncates to 2") << 1200 << 3000 << "MLML";
    }

    void breaksPerLongBreakIsTheTruncatedRatio()
    {
        QFETCH(int, microInterval);
        QFETCH(int, longInterval);
        QFETCH(QString, rhythm);
        Rig rig({{"microBreakInterval", microInterval}, {"longBreakInterval", longInterval}});
        rig.scheduler.start();
        QString seen;
        for (int i = 0; i < rhythm.size(); ++i) {
            seen += rig.scheduler.currentBreakType() == Long ? 'L' : 'M';
            rig.runToBreak();
            rig.tick(rig.remaining());
        }
        QCOMPARE(seen, rhythm);
        if (!rhythm.contains('M'))
            QCOMPARE(rig.scheduler.secondsUntilNextMicroBreak(), -1);
    }

    // Postpone works in the warning whatever the setting, during a break only
    // with it, and nowhere else; the same break comes back after 300 s.
    void postponeRules()
    {
        for (bool enabled : {true, false}) {
            Rig rig;
            rig.settings.setPostponeEnabled(enabled);
            rig.scheduler.postponeBreak(); // never started
            rig.scheduler.start();
            rig.scheduler.postponeBreak(); // working
            QCOMPARE(rig.state(), BreakScheduler::Working);
            rig.tick(1200);
            rig.take();
            rig.scheduler.postponeBreak();
            QCOMPARE(rig.take(), QStringList{"state"});
            QCOMPARE(rig.remaining(), 300);
            rig.tick(10);
            rig.scheduler.postponeBreak(); // postponed: nothing
            QCOMPARE(rig.remaining(), 290);
            rig.tick(300);
            rig.take();
            rig.scheduler.postponeBreak();
            QCOMPARE(rig.take(), enabled ? (QStringList{"state", "finished 0"}) : QStringList());
            QCOMPARE(rig.scheduler.completedBreaks(), 0);
            if (!enabled)
                continue;
            rig.tick(300);
            QCOMPARE(rig.take(), (QStringList{"warning 0 10", "state"}));
        }
    }

    void pauseAndResumeKeepThePhase_data()
    {
        QTest::addColumn<int>("ticksBeforePause");
        QTest::addColumn<int>("phase");
        QTest::newRow("working") << 100 << int(BreakScheduler::Working);
        QTest::newRow("warning") << 1203 << int(BreakScheduler::Warning);
        QTest::newRow("on break") << 1215 << int(BreakScheduler::OnBreak);
    }

    void pauseAndResumeKeepThePhase()
    {
        QFETCH(int, ticksBeforePause);
        QFETCH(int, phase);
        Rig rig;
        rig.scheduler.start();
        rig.tick(ticksBeforePause);
        const int remaining = rig.remaining();
        rig.take();
        rig.scheduler.pause(2);
        QCOMPARE(rig.take(), (QStringList{"state", "running"}));
        QCOMPARE(rig.remaining(), 7200);
        QCOMPARE(rig.scheduler.secondsUntilNextLongBreak(), -1);
        rig.tick(50);
        rig.scheduler.resume();
        QCOMPARE(rig.take(), (QStringList{"running", "state"}));
        QCOMPARE(int(rig.state()), phase);
        QCOMPARE(rig.remaining(), remaining);
        // A pause also runs out by itself.
        rig.scheduler.pause(1);
        rig.tick(3599);
        QVERIFY(!rig.scheduler.isRunning());
        rig.tick();
        QCOMPARE(int(rig.state()), phase);
        QCOMPARE(rig.remaining(), remaining);
    }

    void stopAndStartRules()
    {
        Rig rig;
        rig.scheduler.pause(2); // not running: nothing
        rig.scheduler.stop();
        QCOMPARE(rig.take(), QStringList());
        rig.scheduler.start();
        rig.scheduler.start();
        QCOMPARE(rig.take(), QStringList{"running"});
        rig.runToBreak();
        rig.tick(520);
        rig.take();
        rig.scheduler.stop();
        QCOMPARE(rig.take(), (QStringList{"running", "state"}));
        QCOMPARE(rig.state(), BreakScheduler::Paused);
        rig.scheduler.resume(); // after a stop: a fresh cycle
        QCOMPARE(rig.take(), QStringList{"running"});
        QCOMPARE(rig.remaining(), 1200);
        QCOMPARE(rig.scheduler.completedBreaks(), 1);
    }

    // A receiver may stop the scheduler inside its signals; the stop sticks.
    void aStopFromAReceiverSticks()
    {
        Rig rig({{"microBreakInterval", 60}});
        QObject::connect(&rig.scheduler, &BreakScheduler::warningStarted, &rig.scheduler,
                         [&rig] { rig.scheduler.stop(); });
        rig.scheduler.start();
        rig.tick(58);
        rig.tick(1, 3000); // a late timeout: three seconds at once
        QCOMPARE(rig.state(), BreakScheduler::Paused);
        Rig other;
        QObject::connect(&other.scheduler, &BreakScheduler::runningChanged, &other.scheduler, [&other] {
            if (other.scheduler.isRunning())
                other.scheduler.stop();
        });
        other.scheduler.start();
        other.tick(2000);
        QVERIFY(!other.scheduler.isRunning() && !other.log.contains("warning 0 10"));
    }

    // A timeout up to five seconds late counts them all; a later one means the
    // machine slept, and the gap is not working time.
    void lateTimeouts_data()
    {
        QTest::addColumn<int>("lateMs");
        QTest::addColumn<int>("counted");
        QTest::newRow("five seconds are caught up") << 5000 << 5;
        QTest::newRow("six seconds are a sleep") << 6000 << 1;
        QTest::newRow("an hour's sleep") << 3600 * 1000 << 1;
        QTest::newRow("timeouts a little early") << 950 << 1;
        QTest::newRow("timeouts a little late") << 1050 << 1;
    }

    void lateTimeouts()
    {
        QFETCH(int, lateMs);
        Rig rig;
        rig.scheduler.start();
        rig.tick(100);
        rig.tick(1, lateMs);
        QTEST(1100 - rig.remaining(), "counted");
        // Early or late timeouts keep to the clock over the whole interval.
        while (rig.state() == BreakScheduler::Working)
            rig.tick(1, lateMs < 2000 ? lateMs : 1000);
        QVERIFY(qAbs(rig.clock.now - 1200 * 1000 - (lateMs >= 6000 ? lateMs - 1000 : 0)) <= 1100);
    }

    void testBreaks()
    {
        Rig rig;
        rig.scheduler.triggerLongBreak(); // not running: nothing
        QCOMPARE(rig.take(), QStringList());
        rig.scheduler.start();
        rig.tick(300);
        rig.take();
        rig.scheduler.triggerLongBreak();
        rig.tick(10);
        QCOMPARE(rig.take(), (QStringList{"warning 1 10", "state", "state", "started 1 300"}));
        // During a break: that break counts as finished, then the test break warns.
        rig.tick(5);
        rig.scheduler.triggerMicroBreak();
        QCOMPARE(rig.take(), (QStringList{"state", "finished 1", "warning 0 10", "state"}));
        rig.tick(30);
        QCOMPARE(rig.scheduler.completedBreaks(), 2);
        QCOMPARE(rig.scheduler.currentBreakType(), Long); // number 3 by the rhythm
    }

    void settingsChangeRestartsOnlyTheWorkingCountdown()
    {
        Rig rig;
        rig.scheduler.start();
        rig.tick(600);
        rig.settings.setMicroBreakInterval(300);
        rig.scheduler.onSettingsChanged();
        QCOMPARE(rig.remaining(), 300);
        rig.tick(302);
        rig.scheduler.onSettingsChanged();
        QCOMPARE(rig.state(), BreakScheduler::Warning);
        QCOMPARE(rig.remaining(), 8);
        rig.tick(10);
        rig.settings.setMicroBreakDuration(60);
        rig.scheduler.onSettingsChanged();
        QCOMPARE(rig.remaining(), 18);
    }

    // Five minutes after the last input the working countdown stands still, and it
    // runs again at the first input; the idle time is asked only when it could
    // have passed the limit.
    void idleFreezesWorkingAndPostponedOnly()
    {
        Rig rig;
        FakeLastInput& input = *rig.clock.input;
        input.lastInputAt = 0;
        rig.scheduler.start();
        rig.tick(299);
        QCOMPARE(rig.remaining(), 901);
        QVERIFY2(input.queries <= 2, qPrintable(QString::number(input.queries)));
        rig.tick(1); // 300 s without input: more than 299 999 ms
        rig.tick(100);
        QCOMPARE(rig.remaining(), 901);
        input.lastInputAt = rig.clock.now;
        rig.tick(1);
        QCOMPARE(rig.remaining(), 900);
        input.lastInputAt = std::numeric_limits<qint64>::max();
        rig.tick(899);

        // The warning and the break run whatever the user does. A postponed break
        // waits for the user again: 300 s after the last input, 285 s into the
        // postponement, its countdown stands still.
        input.lastInputAt = rig.clock.now;
        rig.tick(11);
        QCOMPARE(rig.state(), BreakScheduler::OnBreak);
        const int queries = input.queries;
        rig.tick(4);
        QCOMPARE(input.queries, queries);
        rig.scheduler.postponeBreak();
        rig.tick(400);
        QCOMPARE(rig.remaining(), 16);
        input.lastInputAt.reset(); // an unknown idle time counts as an active user
        rig.tick(10);
        QCOMPARE(rig.remaining(), 6);
        input.lastInputAt = rig.clock.now - 600000;
        rig.settings.setIdlePauseEnabled(false);
        rig.tick(5);
        QCOMPARE(rig.remaining(), 1);
    }

    void estimatesInEachPhase()
    {
        Rig rig;
        QCOMPARE(rig.scheduler.secondsUntilNextMicroBreak(), -1);
        rig.scheduler.start();
        const auto estimates = [&rig] {
            return QList<int>{rig.scheduler.secondsUntilNextMicroBreak(), rig.scheduler.secondsUntilNextLongBreak()};
        };
        // 1200 + 10, and the long break is the third: two more cycles of 20 + 1200 + 10.
        QCOMPARE(estimates(), (QList<int>{1210, 1210 + 2 * 1230}));
        rig.tick(1203);
        QCOMPARE(estimates(), (QList<int>{7, 7 + 2 * 1230}));
        rig.tick(12); // break 1, 15 s left
        QCOMPARE(estimates(), (QList<int>{15 + 1210, 15 + 1210 + 1230}));
        rig.tick(15);
        rig.runToBreak(); // break 2: break 3 is long
        rig.tick(4);
        QCOMPARE(estimates(), (QList<int>{1226 + 300 + 1210, 1226}));
        rig.tick(16);
        rig.runToBreak(); // break 3, long
        QCOMPARE(estimates(), (QList<int>{1510, 1510 + 2 * 1230}));
        rig.tick(1500);
        rig.scheduler.postponeBreak(); // break 4 postponed
        QCOMPARE(estimates().first(), 310);
    }

    void tickDifferenceSurvivesTheCounterWrap()
    {
        QCOMPARE(tickDifference(5000, 2000), 3000u);
        QCOMPARE(tickDifference(1000, 0xFFFFFC18u), 2000u);
        QCOMPARE(tickDifference(299999, 0xFFFFFFFFu), 300000u);
    }
};

QTEST_GUILESS_MAIN(TestBreakScheduler)
#include "tst_breakscheduler.moc"
