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
    // The signals of count timeouts, stepMs apart.
    QString after(int count, qint64 stepMs = 1000)
    {
        clock.tick(scheduler, count, stepMs);
        return std::exchange(log, {}).join(", ");
    }
    // Phase and seconds left in it.
    QString status() const
    {
        return QStringLiteral("%1 %2")
            .arg(QMetaEnum::fromType<BreakScheduler::SchedulerState>().valueToKey(scheduler.state()))
            .arg(scheduler.remainingSeconds());
    }
    void runToBreak() { after(scheduler.remainingSeconds() + BreakScheduler::WarningSeconds); }

    // Plays steps in order: "+N" lets N one-second timeouts pass, a name calls the
    // scheduler. After each, "signals|phase seconds-left" must read as expected.
    void play(const QList<std::pair<QString, QString>>& steps)
    {
        static const QHash<QString, std::function<void(BreakScheduler&)>> calls{
            {"start", &BreakScheduler::start},
            {"stop", &BreakScheduler::stop},
            {"pause", [](BreakScheduler& s) { s.pause(2); }},
            {"pause1", [](BreakScheduler& s) { s.pause(1); }},
            {"resume", &BreakScheduler::resume},
            {"postpone", &BreakScheduler::postponeBreak},
            {"micro", &BreakScheduler::triggerMicroBreak},
            {"long", &BreakScheduler::triggerLongBreak},
            {"settings", &BreakScheduler::onSettingsChanged}};
        for (const auto& [step, expected] : steps) {
            if (step.startsWith('+'))
                clock.tick(scheduler, step.mid(1).toInt());
            else
                calls.value(step)(scheduler);
            const QString actual = after(0) + "|" + status();
            QVERIFY2(actual == expected, qPrintable(step + " gave " + actual + ", not " + expected));
        }
    }
};

} // namespace

class TestBreakScheduler : public QObject
{
    Q_OBJECT

private slots:
    void defaultRhythmIsMicroMicroLong()
    {
        Rig rig({}, false);
        rig.play({{"start", "running|Working 1200"}});
        for (int cycle = 1; cycle <= 6; ++cycle) {
            const QString type = cycle % 3 == 0 ? "1 " : "0 ", length = cycle % 3 == 0 ? "300" : "20";
            rig.play({{"+1199", "|Working 1"},
                      {"+1", "warning " + type + "10, state|Warning 10"},
                      {"+9", "|Warning 1"},
                      {"+1", "state, started " + type + length + "|OnBreak " + length},
                      {"+" + QString::number(length.toInt() - 1), "|OnBreak 1"},
                      {"+1", "state, finished " + type.trimmed() + "|Working 1200"}});
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
        Rig rig({}, false);
        rig.play({{"postpone", "|Working 0"},
                  {"start", "running|Working 1200"},
                  {"postpone", "|Working 1200"},
                  {"+1203", "warning 0 10, state|Warning 7"},
                  {"postpone", "state|Postponed 300"},
                  {"+10", "|Postponed 290"},
                  {"postpone", "|Postponed 290"},
                  {"+290", "warning 0 10, state|Warning 10"},
                  {"+15", "state, started 0 20|OnBreak 15"},
                  {"postpone", "state, finished 0|Postponed 300"},
                  {"+300", "warning 0 10, state|Warning 10"}});
        QCOMPARE(rig.scheduler.completedBreaks(), 0);
        Rig off({{"postponeEnabled", false}}, false);
        off.play({{"start", "running|Working 1200"},
                  {"+1200", "warning 0 10, state|Warning 10"},
                  {"postpone", "state|Postponed 300"},
                  {"+315", "warning 0 10, state, state, started 0 20|OnBreak 15"},
                  {"postpone", "|OnBreak 15"}});
    }

    // A pause keeps the phase for resume, or runs out by itself; stop means a fresh cycle.
    void pauseResumeAndStop()
    {
        for (int ticksBeforePause : {100, 1203, 1215}) { // working, warning, on break
            Rig rig;
            rig.after(ticksBeforePause);
            const QString before = rig.status();
            rig.play({{"pause", "state, running|Paused 7200"}});
            QCOMPARE(rig.scheduler.secondsUntilNextLongBreak(), -1);
            rig.play({{"+50", "|Paused 7150"}, {"resume", "running, state|" + before}});
            rig.play(
                {{"pause1", "state, running|Paused 3600"}, {"+3599", "|Paused 1"}, {"+1", "running, state|" + before}});
        }
        Rig rig({}, false);
        rig.play({{"pause", "|Working 0"},
                  {"stop", "|Working 0"},
                  {"start", "running|Working 1200"},
                  {"start", "|Working 1200"},
                  {"+1750", "warning 0 10, state, state, started 0 20, state, finished 0|Working 680"},
                  {"stop", "running, state|Paused 0"},
                  {"resume", "running|Working 1200"}});
        QCOMPARE(rig.scheduler.completedBreaks(), 1);
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
        rig.play({{"long", "|Working 0"},
                  {"start", "running|Working 1200"},
                  {"+300", "|Working 900"},
                  {"long", "warning 1 10, state|Warning 10"},
                  {"+15", "state, started 1 300|OnBreak 295"},
                  {"micro", "state, finished 1, warning 0 10, state|Warning 10"},
                  {"+30", "state, started 0 20, state, finished 0|Working 1200"}});
        QVERIFY(rig.scheduler.completedBreaks() == 2 && rig.scheduler.currentBreakType() == Long);
        rig.settings.setMicroBreakInterval(300);
        rig.play({{"settings", "|Working 300"}, {"+302", "warning 0 10, state|Warning 8"}, {"settings", "|Warning 8"}});
        rig.settings.setMicroBreakDuration(60);
        rig.play({{"+10", "state, started 0 60|OnBreak 58"}, {"settings", "|OnBreak 58"}});
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
