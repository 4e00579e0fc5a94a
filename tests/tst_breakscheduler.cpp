#include "TestHelpers.h"
#include "platform/NotifiedLastInputSource.h"

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
    }
    void tick(int count, qint64 stepMs = 1000) { clock.tick(scheduler, count, stepMs); }
    QString status() const
    {
        const char* phase = QMetaEnum::fromType<BreakScheduler::SchedulerState>().valueToKey(scheduler.state());
        return phase + QStringLiteral(" %1").arg(scheduler.remainingSeconds());
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
            {"resume", [](Rig& r) { r.scheduler.resume(); }},
            {"postpone", [](Rig& r) { r.scheduler.postponeBreak(); }},
            {"micro", [](Rig& r) { r.scheduler.triggerMicroBreak(); }},
            {"long", [](Rig& r) { r.scheduler.triggerLongBreak(); }},
            {"settings",
             [](Rig& r) {
                 r.scheduler.setRhythm(r.settings.breakRhythm());
                 r.scheduler.onSettingsChanged();
             }},
            {"input", [](Rig& r) { r.clock.lastInputAt = r.clock.now; }}, // the user touches the keyboard
            {"busy", [](Rig& r) { r.clock.lastInputAt = std::numeric_limits<qint64>::max(); }}, // and stays at it
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

    // A pause keeps the phase for resume, or runs out by itself; stop means a fresh cycle.
    void pauseResumeAndStop()
    {
        for (int ticksBeforePause : {100, 1203, 1215}) { // working, warning, on break
            Rig rig;
            rig.scheduler.start();
            rig.tick(ticksBeforePause);
            rig.log.clear();
            const QString before = rig.status();
            rig.play("pause > state, running|Paused 7200");
            QCOMPARE(rig.scheduler.secondsUntilNextLongBreak(), -1);
            rig.play("+50 > |Paused 7150; resume > running, state|" + before +
                     "; pause > state, running|Paused 7200; +7199 > |Paused 1; +1 > running, state|" + before);
        }
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

    // Five minutes after the last input the working countdown stands still, and it
    // runs again at the first input; the idle time is asked only when it could
    // have passed the limit. The warning and the break run whatever the user does.
    // A postponed break waits for the user again; an unknown idle time counts as
    // an active user for that second only.
    void idleFreezesWorkingAndPostponedOnly()
    {
        Rig rig;
        rig.clock.lastInputAt = 0;
        rig.play("start > running|Working 1200; +299 > |Working 901");
        QVERIFY2(rig.clock.idleQueries <= 2, qPrintable(QString::number(rig.clock.idleQueries)));
        rig.play("+101 > |Working 901; input > |Working 901; +1 > |Working 900; busy > |Working 900;"
                 "+899 > |Working 1; input > |Working 1; +11 > warning 0 10, state, state, started 0 20|OnBreak 20");
        const int queries = rig.clock.idleQueries;
        rig.play("+4 > |OnBreak 16");
        QCOMPARE(rig.clock.idleQueries, queries);
        rig.play("postpone > state, finished 0|Postponed 300; +400 > |Postponed 16");
        rig.clock.lastInputAt.reset();
        rig.play("+10 > |Postponed 6");
        rig.clock.lastInputAt = rig.clock.now - 600000; // a failed query is asked again at the next tick
        rig.play("+3 > |Postponed 6");
        rig.settings.setIdlePauseEnabled(false);
        rig.play("settings > |Postponed 6; +5 > |Postponed 1");
    }

    // The same freeze from a source that is told, not asked: the away notice stops
    // the count from the next tick on, the first input starts it again, and a lost
    // source counts every second.
    void idleFreezeFromNotices()
    {
        Rig rig;
        auto owned = std::make_unique<NotifiedLastInputSource>(BreakScheduler::IdleLimitMs + 1,
                                                               [&rig] { return rig.clock.now; });
        NotifiedLastInputSource& notices = *owned;
        rig.scheduler.setLastInputSource(std::move(owned));
        rig.play("start > running|Working 1200");
        notices.noticeBack();
        rig.play("+299 > |Working 901");
        notices.noticeAway(300000);
        rig.play("+100 > |Working 901");
        notices.noticeBack();
        rig.play("+300 > |Working 601");
        notices.noticeAway(300000);
        rig.play("+2 > |Working 601");
        notices.noticeLost();
        notices.noticeBack();
        rig.play("+5 > |Working 596");
        QVERIFY(!notices.canDetectIdle());
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
