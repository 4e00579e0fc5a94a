#include "TestHelpers.h"

namespace {

// A scheduler on a hand-driven clock; every signal is recorded in order.
struct Rig : LoadedSettings
{
    BreakScheduler scheduler{settings.breakRhythm()};
    ManualClock clock;
    QStringList log;

    explicit Rig(const QVariantMap& values = {})
        : LoadedSettings(values)
    {
        scheduler.setBreakMessages(BreakMessages::forLanguage(settings.language()));
        clock.drive(scheduler);
        const auto record = [this](const char* what, auto... numbers) {
            log << QStringList{what, QString::number(numbers)...}.join(' ');
        };
        const auto on = [this](auto signal, auto slot) { QObject::connect(&scheduler, signal, slot); };
        on(&BreakScheduler::warningStarted, [=](BreakType t, int s) { record("warning", int(t), s); });
        on(&BreakScheduler::breakStarted, [=](BreakType t, const QString&, int d) { record("started", int(t), d); });
        on(&BreakScheduler::breakFinished, [=](BreakType t) { record("finished", int(t)); });
        on(&BreakScheduler::runningChanged, [=] { record("running"); });
        on(&BreakScheduler::breakStateChanged, [=] { record("state"); });
        on(&BreakScheduler::warningWithdrawn, [=] { record("withdrawn"); });
    }
    void tick(int count, qint64 stepMs = 1000) { clock.tick(scheduler, count, stepMs); }
    QString status() const
    {
        const char* phase = QMetaEnum::fromType<BreakScheduler::SchedulerState>().valueToKey(scheduler.state());
        const QString held = scheduler.isHeld() ? " held: " + Presence::name(scheduler.holdReason()) : QString();
        return phase + QStringLiteral(" %1").arg(scheduler.remainingSeconds()) + held;
    }

    // Plays steps separated by ";", each "STEP > SIGNALS|PHASE SECONDS-LEFT": the
    // step is "+N" for N one-second timeouts ("+N@MS": MS apart) or a call; after it,
    // what it signalled and the status must read as given.
    void play(const QString& script)
    {
        static const QHash<QString, std::function<void(Rig&)>> calls{
            {"start", [](Rig& r) { r.scheduler.start(); }},
            {"stop", [](Rig& r) { r.scheduler.stop(); }},
            {"pause", [](Rig& r) { r.scheduler.pause(2); }},
            {"pause 90s", [](Rig& r) { r.scheduler.pauseFor(90); }},
            {"pause 10m", [](Rig& r) { r.scheduler.pauseFor(600); }},
            {"pause 0s", [](Rig& r) { r.scheduler.pauseFor(0); }},
            {"resume", [](Rig& r) { r.scheduler.resume(); }},
            {"postpone", [](Rig& r) { r.scheduler.postponeBreak(); }},
            {"micro", [](Rig& r) { r.scheduler.triggerMicroBreak(); }},
            {"long", [](Rig& r) { r.scheduler.triggerLongBreak(); }},
            {"settings",
             [](Rig& r) {
                 r.scheduler.setRhythm(r.settings.breakRhythm());
                 r.scheduler.onSettingsChanged();
             }},
            {"away", [](Rig& r) { r.clock.idle->setOn(true); }},
            {"input", [](Rig& r) { r.clock.idle->setOn(false); }},
            {"lock", [](Rig& r) { r.clock.locked->setOn(true); }},
            {"unlock", [](Rig& r) { r.clock.locked->setOn(false); }},
            {"sleep", [](Rig& r) { r.clock.asleep->setOn(true); }},
            {"wake", [](Rig& r) { r.clock.asleep->setOn(false); }},
            {"call", [](Rig& r) { r.clock.call->setOn(true); }},
            {"hang up", [](Rig& r) { r.clock.call->setOn(false); }},
            {"full screen", [](Rig& r) { r.clock.fullScreen->setOn(true); }},
            {"windowed", [](Rig& r) { r.clock.fullScreen->setOn(false); }},
        };
        for (const QString& entry : script.split(';')) {
            const QString step = entry.section('>', 0, 0).trimmed(), expected = entry.section('>', 1).trimmed();
            if (step.startsWith('+'))
                tick(step.mid(1).section('@', 0, 0).toInt(), step.contains('@') ? step.section('@', 1).toInt() : 1000);
            else
                calls.value(step)(*this);
            const QString actual = std::exchange(log, {}).join(", ") + "|" + status();
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
        Rig rig;
        rig.play("start > running|Working 1200; +1199 > |Working 1; +1 > warning 0 10, state|Warning 10;"
                 "+9 > |Warning 1; +1 > state, started 0 20|OnBreak 20; +19 > |OnBreak 1;"
                 "+1 > state, finished 0|Working 1200; +1230 > warning 0 10, state, state, started 0 20, state, "
                 "finished 0|Working 1200; +1210 > warning 1 10, state, state, started 1 300|OnBreak 300;"
                 "+300 > state, finished 1|Working 1200");
        QCOMPARE(rig.scheduler.completedBreaks(), 3);
        // Every r-th break is long, r the truncated ratio of the intervals (at least 1).
        for (auto [micro, longer, rhythm] : {std::tuple{60, 60, "LLLL"}, {120, 60, "LLLL"}, {1200, 3000, "MLML"}}) {
            Rig other({{"microBreakInterval", micro}, {"longBreakInterval", longer}});
            other.scheduler.start();
            QString seen;
            for (int i = 0; i < 4; ++i) {
                seen += other.scheduler.currentBreakType() == Long ? 'L' : 'M';
                other.tick(micro + 10 + (seen.endsWith('L') ? 300 : 20));
            }
            QCOMPARE(seen, QLatin1String(rhythm));
            QCOMPARE(other.scheduler.secondsUntilNextMicroBreak() == -1, !seen.contains('M'));
        }
    }

    // Postpone works in the warning whatever the setting, during a break only
    // with it, and nowhere else; the same break comes back after 300 s.
    void postponeRules()
    {
        Rig rig;
        rig.play("postpone > |Working 0; start > running|Working 1200; postpone > |Working 1200;"
                 "+1203 > warning 0 10, state|Warning 7; postpone > state|Postponed 300; +10 > |Postponed 290;"
                 "postpone > |Postponed 290; +290 > warning 0 10, state|Warning 10;"
                 "+15 > state, started 0 20|OnBreak 15; postpone > state, finished 0|Postponed 300;"
                 "+300 > warning 0 10, state|Warning 10");
        QCOMPARE(rig.scheduler.completedBreaks(), 0);
        Rig off({{"postponeEnabled", false}});
        off.play("start > running|Working 1200; +1200 > warning 0 10, state|Warning 10; postpone > state|Postponed 300;"
                 "+315 > warning 0 10, state, state, started 0 20|OnBreak 15; postpone > |OnBreak 15");
    }

    // A pause keeps a working phase for resume, or runs out by itself; one that
    // begins during a warning or a break ends them at once, and the break, still
    // due, comes with its warning when the pause ends. A pause asked for while
    // paused replaces the time left; stop means a fresh cycle.
    void pauseResumeAndStop()
    {
        struct Case
        {
            int ticksBeforePause;
            const char* pausing;
            const char* after;
        };
        for (const Case& c :
             {Case{100, "state, running", "Working 1100"}, Case{1203, "state, running, withdrawn", "Working 1"},
              Case{1215, "state, running, finished 0", "Working 1"}}) {
            Rig rig;
            rig.scheduler.start();
            rig.tick(c.ticksBeforePause);
            rig.log.clear();
            rig.play(QStringLiteral("pause > %1|Paused 7200").arg(c.pausing));
            QCOMPARE(rig.scheduler.secondsUntilNextLongBreak(), -1);
            QCOMPARE(rig.scheduler.pauseSecondsLeft(), 7200);
            rig.play(QStringLiteral("+50 > |Paused 7150; resume > running, state|%1;"
                                    "pause > state, running|Paused 7200; +7199 > |Paused 1; +1 > running, state|%1")
                         .arg(c.after));
            if (c.ticksBeforePause > 1200)
                rig.play("+1 > warning 0 10, state|Warning 10");
        }
        Rig pauses;
        pauses.play("start > running|Working 1200; pause 90s > state, running|Paused 90; +30 > |Paused 60;"
                    "pause 10m > state|Paused 600; pause 0s > |Paused 600; resume > running, state|Working 1200");
        Rig rig;
        rig.play("pause > |Working 0; stop > |Working 0; start > running|Working 1200; start > |Working 1200;"
                 "+1750 > warning 0 10, state, state, started 0 20, state, finished 0|Working 680;"
                 "stop > running, state|Paused 0; resume > running|Working 1200");
        QCOMPARE(rig.scheduler.completedBreaks(), 1);
    }

    // A receiver may stop the scheduler inside its signals; the stop sticks.
    void aStopFromAReceiverSticks()
    {
        Rig rig({{"microBreakInterval", 60}});
        QObject::connect(&rig.scheduler, &BreakScheduler::warningStarted, [&rig] { rig.scheduler.stop(); });
        rig.play(
            "start > running|Working 60; +58 > |Working 2; +1@3000 > warning 0 10, running, state, state|Paused 0");
        Rig other;
        QObject::connect(&other.scheduler, &BreakScheduler::runningChanged, [&other] {
            if (other.scheduler.isRunning())
                other.scheduler.stop();
        });
        other.play("start > running, running, state|Paused 0");
        other.tick(2000);
        QVERIFY(!other.scheduler.isRunning() && !other.log.join(' ').contains("warning"));
    }

    // A timeout up to five seconds late counts them all; a later one means the
    // machine slept, and the gap is not working time. Early or late timeouts keep
    // to the clock over the whole interval.
    void lateTimeouts()
    {
        for (auto [lateMs, counted] : {std::pair{5000, 5}, {6000, 1}, {3600000, 1}, {950, 1}, {1050, 1}}) {
            Rig rig;
            rig.play("start > running|Working 1200; +100 > |Working 1100");
            rig.tick(1, lateMs);
            QCOMPARE(1100 - rig.scheduler.remainingSeconds(), counted);
            while (rig.scheduler.state() == BreakScheduler::Working)
                rig.tick(1, lateMs < 2000 ? lateMs : 1000);
            QVERIFY(qAbs(rig.clock.now - 1200 * 1000 - (lateMs >= 6000 ? lateMs - 1000 : 0)) <= 1100);
        }
        // A break, though, counts the whole gap: it ends when its time is up.
        Rig rig;
        rig.play("start > running|Working 1200; micro > warning 0 10, state|Warning 10;"
                 "+10 > state, started 0 20|OnBreak 20; +1@15000 > |OnBreak 5;"
                 "+1@60000 > state, finished 0|Working 1200; +1 > |Working 1199");
    }

    // A test break warns at once; during a break that break counts as finished.
    // A change of settings restarts the working countdown only.
    void testBreaksAndSettingsChanges()
    {
        Rig rig;
        rig.play("long > |Working 0; start > running|Working 1200; +300 > |Working 900;"
                 "long > warning 1 10, state|Warning 10; +15 > state, started 1 300|OnBreak 295;"
                 "micro > state, finished 1, warning 0 10, state|Warning 10;"
                 "+30 > state, started 0 20, state, finished 0|Working 1200");
        QVERIFY(rig.scheduler.completedBreaks() == 2 && rig.scheduler.currentBreakType() == Long);
        rig.settings.setMicroBreakInterval(300);
        rig.play("settings > |Working 300; +302 > warning 0 10, state|Warning 8");
        rig.settings.setMicroBreakDuration(60);
        rig.play("settings > |Warning 8; +10 > state, started 0 60|OnBreak 58; settings > |OnBreak 58");
    }

    // While the user is away the working countdown stands still, and it runs again
    // at the first input. The warning and the break run whatever the user does; a
    // postponed break waits for the user again. With the idle freeze off, away
    // counts for nothing.
    void awayFreezesWorkingAndPostponedOnly()
    {
        Rig rig;
        rig.play("start > running|Working 1200; +299 > |Working 901; away > |Working 901; +100 > |Working 901;"
                 "input > |Working 901; +900 > |Working 1; away > |Working 1; +50 > |Working 1;"
                 "input > |Working 1; +1 > warning 0 10, state|Warning 10; away > |Warning 10;"
                 "+14 > state, started 0 20|OnBreak 16; postpone > state, finished 0|Postponed 300;"
                 "+10 > |Postponed 300; input > |Postponed 300; +4 > |Postponed 296");
        rig.settings.setIdlePauseEnabled(false);
        rig.play(
            "settings > |Postponed 296; away > |Postponed 296; +6 > |Postponed 290; lock > |Postponed 290;"
            "+400 > warning 0 10, state, state, started 0 20, state, finished 0|Working 1120; unlock > |Working 1120");
    }

    // A locked session or sleep stops the count at once; a warning due then waits
    // until the user is back. Back after a rest as long as a long break (300 s), the
    // working period starts afresh; after a shorter one it goes on where it stood.
    void lockAndSleepAreRest()
    {
        Rig rig;
        rig.play("start > running|Working 1200; +1190 > |Working 10; lock > |Working 10; +299 > |Working 10;"
                 "unlock > |Working 10; +5 > |Working 5; sleep > |Working 5; +1@300000 > |Working 5;"
                 "wake > state|Working 1200; +1 > |Working 1199; lock > |Working 1199; away > |Working 1199;"
                 "+400 > |Working 1199; input > |Working 1199; unlock > state|Working 1200");
        // A break goes on; the rest after it still counts.
        rig.play("micro > warning 0 10, state|Warning 10; lock > |Warning 10; +10 > state, started 0 20|OnBreak 20;"
                 "+20 > state, finished 0|Working 1200; +300 > |Working 1200; unlock > state|Working 1200");
        Rig off({{"idlePauseEnabled", false}});
        off.play("start > running|Working 1200; lock > |Working 1200; +400 > |Working 800; unlock > |Working 800");
    }

    // A break that falls due during a call, in front of a full-screen program or with
    // do-not-disturb on waits, and tells why; its warning comes at the first second
    // free, or after the longest hold (here 1 minute). Sources that nothing tells are
    // asked when the break falls due and every 5 s while it waits.
    void busyUsersHoldBreaks()
    {
        Rig rig({{"holdBreaksMaxMinutes", 1}});
        rig.play("start > running|Working 1200; call > |Working 1200; +1199 > |Working 1;"
                 "+1 > state|Working 0 held: call; +10 > |Working 0 held: call;"
                 "full screen > |Working 0 held: call; hang up > |Working 0 held: call;"
                 "+1 > state|Working 0 held: full screen; windowed > |Working 0 held: full screen;"
                 "+1 > state, warning 0 10, state|Warning 10");
        QCOMPARE(rig.clock.call->looks, 3);
        // A call that starts during the warning holds the break too, and the longest
        // hold counts from the first wait.
        rig.play(
            "call > state, withdrawn|Working 0 held: call; +1 > |Working 0 held: call; hang up > |Working 0 held: call;"
            "+1 > state, warning 0 10, state|Warning 10; postpone > state|Postponed 300; call > |Postponed 300;"
            "+300 > state|Postponed 0 held: call; +45 > |Postponed 0 held: call;"
            "+1 > state, warning 0 10, state|Warning 10; hang up > |Warning 10; call > |Warning 10;"
            "+10 > state, started 0 20|OnBreak 20; hang up > |OnBreak 20; +20 > state, finished 0|Working 1200");
        // A test break comes whatever happens; a break on screen stays there; the
        // hold can be switched off.
        rig.play("full screen > |Working 1200; micro > warning 0 10, state|Warning 10; call > |Warning 10;"
                 "+10 > state, started 0 20|OnBreak 20; +20 > state, finished 0|Working 1200");
        rig.settings.setHoldBreaksWhenBusy(false);
        rig.play("settings > |Working 1200; +1200 > warning 1 10, state|Warning 10; hang up > |Warning 10;"
                 "call > |Warning 10");
    }

    // Each break draws from its kind's list: the language's numbered keys 1 to 20,
    // the gaps skipped; an empty value is a message with no text.
    void breakMessagesAreDrawnFromTheirKindsList()
    {
        Rig rig({{"language", "xx"}});
        QCOMPARE(BreakMessages::forLanguage("xx").micro, (QStringList{"one", "two", "five"}));
        QMap<BreakType, QSet<QString>> messages;
        QObject::connect(&rig.scheduler, &BreakScheduler::breakStarted,
                         [&](BreakType type, const QString& message) { messages[type].insert(message); });
        rig.scheduler.start();
        // All three turn up: 200 draws miss one with a chance of 3 * (2/3)^200.
        for (int i = 0; i < 200 && messages[Micro].size() < 3; ++i) {
            rig.scheduler.triggerMicroBreak();
            rig.tick(BreakScheduler::WarningSeconds);
        }
        rig.scheduler.triggerLongBreak();
        rig.tick(BreakScheduler::WarningSeconds);
        QCOMPARE(messages[Micro], (QSet<QString>{"one", "two", "five"}));
        QCOMPARE(messages[Long], QSet<QString>{QString()});
    }

    // 1200 + 10 to the first, and the long break is the third: two more cycles of
    // 20 + 1200 + 10.
    void estimatesInEachPhase()
    {
        Rig rig;
        QList<int> estimates;
        for (int ticks : {-1, 0, 1203, 12, 15 + 1210 + 4, 16 + 1210, 1500}) {
            rig.tick(std::max(ticks, 0));
            if (ticks == 1500)
                rig.scheduler.postponeBreak();
            estimates << rig.scheduler.secondsUntilNextMicroBreak() << rig.scheduler.secondsUntilNextLongBreak();
            if (ticks < 0)
                rig.scheduler.start();
        }
        QCOMPARE(estimates,
                 (QList<int>{-1, -1, 1210, 1210 + 2 * 1230, 7, 7 + 2 * 1230, 15 + 1210, 15 + 1210 + 1230,
                             1226 + 300 + 1210, 1226, 1510, 1510 + 2 * 1230, 310, 310 + 20 + 1210 + 20 + 1210}));
        // Times too far ahead for an int stay the largest one.
        Rig far;
        far.scheduler.setRhythm({1073741800, 100000, 2147483600, 300, true, true});
        far.scheduler.start();
        QCOMPARE(far.scheduler.secondsUntilNextLongBreak(), std::numeric_limits<int>::max());
    }
};

QTEST_GUILESS_MAIN(TestBreakScheduler)
#include "tst_breakscheduler.moc"
