#include "TestHelpers.h"

namespace {

// A scheduler on a hand-driven clock; every signal is recorded in order.
struct Rig : LoadedSettings
{
    BreakScheduler scheduler{&settings};
    ManualClock clock;
    QStringList log;

    explicit Rig(const QVariantMap& values = {}, bool start = true)
        : LoadedSettings(values)
    {
        clock.drive(scheduler);
        const auto record = [this](const char* what, auto... numbers) {
            log << QStringList{what, QString::number(numbers)...}.join(' ');
        };
        QObject::connect(&scheduler, &BreakScheduler::warningStarted,
                         [=](BreakType t, int s) { record("warning", int(t), s); });
        QObject::connect(&scheduler, &BreakScheduler::breakStarted,
                         [=](BreakType t, const QString&, int d) { record("started", int(t), d); });
        QObject::connect(&scheduler, &BreakScheduler::breakFinished, [=](BreakType t) { record("finished", int(t)); });
        QObject::connect(&scheduler, &BreakScheduler::runningChanged, [=] { record("running"); });
        QObject::connect(&scheduler, &BreakScheduler::breakStateChanged, [=] { record("state"); });
        if (start)
            scheduler.start();
    }
    // The signals of count timeouts, stepMs apart, or of a call.
    QString after(int count, qint64 stepMs = 1000)
    {
        clock.tick(scheduler, count, stepMs);
        return std::exchange(log, {}).join(", ");
    }
    template <typename F> QString after(F call)
    {
        std::invoke(call, scheduler);
        return after(0);
    }
    // Phase and seconds left in it.
    QString status() const
    {
        return QStringLiteral("%1 %2")
            .arg(QMetaEnum::fromType<BreakScheduler::SchedulerState>().valueToKey(scheduler.state()))
            .arg(scheduler.remainingSeconds());
    }
    void runToBreak() { after(scheduler.remainingSeconds() + BreakScheduler::WarningSeconds); }
};

// Parts evaluated in order, joined.
QString seq(const QStringList& parts)
{
    return parts.join('|');
}

} // namespace

class TestBreakScheduler : public QObject
{
    Q_OBJECT

private slots:
    void defaultRhythmIsMicroMicroLong()
    {
        Rig rig({}, false);
        QCOMPARE(rig.after(&BreakScheduler::start), QStringLiteral("running"));
        for (int cycle = 1; cycle <= 6; ++cycle) {
            const QString type = cycle % 3 == 0 ? "1" : "0";
            QCOMPARE(seq({rig.after(1199), rig.after(1), rig.after(9), rig.after(1)}),
                     "|warning " + type + " 10, state||state, started " + type + (cycle % 3 ? " 20" : " 300"));
            QCOMPARE(seq({rig.after(rig.scheduler.remainingSeconds() - 1), rig.after(1)}), "|state, finished " + type);
            QCOMPARE(rig.scheduler.completedBreaks(), cycle);
        }
        // Every r-th break is long, r the truncated ratio of the intervals (at least 1).
        for (auto [micro, longer, rhythm] : {std::tuple{60, 60, "LLLL"}, {120, 60, "LLLL"}, {1200, 3000, "MLML"}}) {
            Rig other({{"microBreakInterval", micro}, {"longBreakInterval", longer}});
            QString seen;
            for (int i = 0; i < 4; ++i, other.after(other.scheduler.remainingSeconds())) {
                seen += other.scheduler.currentBreakType() == Long ? 'L' : 'M';
                other.runToBreak();
            }
            QCOMPARE(seen, QLatin1String(rhythm));
            QCOMPARE(other.scheduler.secondsUntilNextMicroBreak() == -1, !seen.contains('M'));
        }
    }

    // Postpone works in the warning whatever the setting, during a break only
    // with it, and nowhere else; the same break comes back after 300 s.
    void postponeRules()
    {
        for (bool enabled : {true, false}) {
            Rig rig({{"postponeEnabled", enabled}}, false);
            rig.scheduler.postponeBreak(); // never started
            rig.scheduler.start();
            rig.after(1200);
            QCOMPARE(rig.after(&BreakScheduler::postponeBreak), QStringLiteral("state"));
            rig.after(10);
            QCOMPARE(seq({rig.after(&BreakScheduler::postponeBreak), rig.status()}), QStringLiteral("|Postponed 290"));
            rig.after(300);
            QCOMPARE(rig.after(&BreakScheduler::postponeBreak), enabled ? "state, finished 0" : "");
            QCOMPARE(rig.scheduler.completedBreaks(), 0);
            QVERIFY(!enabled || rig.after(300).startsWith("warning 0 10"));
        }
    }

    // A pause keeps the phase for resume, or runs out by itself; stop means a fresh cycle.
    void pauseResumeAndStop()
    {
        for (int ticksBeforePause : {100, 1203, 1215}) { // working, warning, on break
            Rig rig;
            rig.after(ticksBeforePause);
            const QString before = rig.status();
            QCOMPARE(rig.after([](BreakScheduler& s) { s.pause(2); }), QStringLiteral("state, running"));
            QCOMPARE(seq({rig.status(), QString::number(rig.scheduler.secondsUntilNextLongBreak())}), "Paused 7200|-1");
            rig.after(50);
            QCOMPARE(seq({rig.after(&BreakScheduler::resume), rig.status()}), "running, state|" + before);
            rig.scheduler.pause(1);
            rig.after(3599);
            QVERIFY(!rig.scheduler.isRunning());
            rig.after(1);
            QCOMPARE(rig.status(), before);
        }
        Rig rig({}, false);
        rig.scheduler.pause(2); // not running: nothing
        rig.scheduler.stop();
        rig.scheduler.start();
        QCOMPARE(rig.after(&BreakScheduler::start), QStringLiteral("running"));
        rig.runToBreak();
        rig.after(520);
        QCOMPARE(seq({rig.after(&BreakScheduler::stop), rig.status()}), QStringLiteral("running, state|Paused 0"));
        rig.scheduler.resume();
        QCOMPARE(seq({rig.status(), QString::number(rig.scheduler.completedBreaks())}),
                 QStringLiteral("Working 1200|1"));
    }

    // A receiver may stop the scheduler inside its signals; the stop sticks.
    void aStopFromAReceiverSticks()
    {
        Rig rig({{"microBreakInterval", 60}});
        QObject::connect(&rig.scheduler, &BreakScheduler::warningStarted, [&rig] { rig.scheduler.stop(); });
        rig.after(58);
        rig.after(1, 3000); // a late timeout: three seconds at once
        QCOMPARE(rig.scheduler.state(), BreakScheduler::Paused);
        Rig other({}, false);
        QObject::connect(&other.scheduler, &BreakScheduler::runningChanged, [&other] {
            if (other.scheduler.isRunning())
                other.scheduler.stop();
        });
        other.scheduler.start();
        QVERIFY(!other.after(2000).contains("warning") && !other.scheduler.isRunning());
    }

    // A timeout up to five seconds late counts them all; a later one means the
    // machine slept, and the gap is not working time. Early or late timeouts keep
    // to the clock over the whole interval.
    void lateTimeouts()
    {
        for (auto [lateMs, counted] : {std::pair{5000, 5}, {6000, 1}, {3600000, 1}, {950, 1}, {1050, 1}}) {
            Rig rig;
            rig.after(100);
            rig.after(1, lateMs);
            QCOMPARE(1100 - rig.scheduler.remainingSeconds(), counted);
            while (rig.scheduler.state() == BreakScheduler::Working)
                rig.after(1, lateMs < 2000 ? lateMs : 1000);
            QVERIFY(qAbs(rig.clock.now - 1200 * 1000 - (lateMs >= 6000 ? lateMs - 1000 : 0)) <= 1100);
        }
    }

    // A test break warns at once; during a break that break counts as finished.
    // A change of settings restarts the working countdown only.
    void testBreaksAndSettingsChanges()
    {
        Rig rig({}, false);
        QCOMPARE(rig.after(&BreakScheduler::triggerLongBreak), QString()); // not running
        rig.scheduler.start();
        rig.after(300);
        rig.scheduler.triggerLongBreak();
        QCOMPARE(rig.after(10), QStringLiteral("warning 1 10, state, state, started 1 300"));
        rig.after(5);
        QCOMPARE(rig.after(&BreakScheduler::triggerMicroBreak),
                 QStringLiteral("state, finished 1, warning 0 10, state"));
        rig.after(30);
        QVERIFY(rig.scheduler.completedBreaks() == 2 && rig.scheduler.currentBreakType() == Long);
        rig.settings.setMicroBreakInterval(300);
        rig.scheduler.onSettingsChanged();
        QCOMPARE(rig.status(), QStringLiteral("Working 300"));
        rig.after(302);
        rig.scheduler.onSettingsChanged();
        QCOMPARE(rig.status(), QStringLiteral("Warning 8"));
        rig.after(10);
        rig.settings.setMicroBreakDuration(60);
        rig.scheduler.onSettingsChanged();
        QCOMPARE(rig.status(), QStringLiteral("OnBreak 18"));
    }

    // Five minutes after the last input the working countdown stands still, and it
    // runs again at the first input; the idle time is asked only when it could
    // have passed the limit.
    void idleFreezesWorkingAndPostponedOnly()
    {
        Rig rig;
        ManualClock& input = rig.clock;
        input.lastInputAt = 0;
        rig.after(299);
        QVERIFY2(input.idleQueries <= 2, qPrintable(QString::number(input.idleQueries)));
        rig.after(101); // from 300 s without input: more than 299 999 ms
        QCOMPARE(rig.status(), QStringLiteral("Working 901"));
        input.lastInputAt = rig.clock.now;
        rig.after(1);
        QCOMPARE(rig.status(), QStringLiteral("Working 900"));
        input.lastInputAt = std::numeric_limits<qint64>::max();
        rig.after(899);
        // The warning and the break run whatever the user does. A postponed break
        // waits for the user again: 300 s after the last input, 285 s into the
        // postponement, its countdown stands still.
        input.lastInputAt = rig.clock.now;
        rig.after(11);
        const int queries = input.idleQueries;
        rig.after(4);
        QVERIFY(rig.scheduler.isOnBreak() && input.idleQueries == queries);
        rig.scheduler.postponeBreak();
        rig.after(400);
        QCOMPARE(rig.status(), QStringLiteral("Postponed 16"));
        input.lastInputAt.reset(); // an unknown idle time counts as an active user
        rig.after(10);
        QCOMPARE(rig.status(), QStringLiteral("Postponed 6"));
        input.lastInputAt = rig.clock.now - 600000;
        rig.settings.setIdlePauseEnabled(false);
        rig.after(5);
        QCOMPARE(rig.status(), QStringLiteral("Postponed 1"));
    }

    // 1200 + 10 to the first, and the long break is the third: two more cycles of
    // 20 + 1200 + 10.
    void estimatesInEachPhase()
    {
        Rig rig({}, false);
        const auto estimates = [&rig] {
            return QList<int>{rig.scheduler.secondsUntilNextMicroBreak(), rig.scheduler.secondsUntilNextLongBreak()};
        };
        QCOMPARE(estimates().first(), -1);
        rig.scheduler.start();
        QCOMPARE(estimates(), (QList<int>{1210, 1210 + 2 * 1230}));
        rig.after(1203);
        QCOMPARE(estimates(), (QList<int>{7, 7 + 2 * 1230}));
        rig.after(12); // break 1, 15 s left
        QCOMPARE(estimates(), (QList<int>{15 + 1210, 15 + 1210 + 1230}));
        rig.after(15);
        rig.runToBreak(); // break 2: break 3 is long
        rig.after(4);
        QCOMPARE(estimates(), (QList<int>{1226 + 300 + 1210, 1226}));
        rig.after(16);
        rig.runToBreak(); // break 3, long
        QCOMPARE(estimates(), (QList<int>{1510, 1510 + 2 * 1230}));
        rig.after(1500);
        rig.scheduler.postponeBreak(); // break 4 postponed
        QCOMPARE(estimates().first(), 310);
    }
};

QTEST_GUILESS_MAIN(TestBreakScheduler)
#include "tst_breakscheduler.moc"
