#include "platform/LastInputSource.h"
#include "platform/TickDifference.h"
#include "scheduling/BreakScheduler.h"
#include "settings/SettingsManager.h"

#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <limits>
#include <memory>

namespace {

// A user whose last input was at lastInputAt on the rig's clock (unknown when empty;
// by default one who is always at the keyboard): the idle time grows with the
// clock, as a real one does.
class FakeLastInput : public LastInputSource
{
public:
    explicit FakeLastInput(const qint64* now)
        : m_now(now)
    {}
    std::optional<qint64> lastInputAt = std::numeric_limits<qint64>::max();
    int queries = 0;
    bool canDetectIdle() override { return lastInputAt.has_value(); }
    std::optional<qint64> millisecondsSinceLastInput() override
    {
        ++queries;
        if (!lastInputAt)
            return std::nullopt;
        return std::max<qint64>(0, *m_now - *lastInputAt);
    }

private:
    const qint64* m_now;
};

// A scheduler on a hand-driven clock; every signal is recorded in order.
struct Rig
{
    SettingsManager settings;
    BreakScheduler scheduler{&settings};
    FakeLastInput* input = nullptr;
    qint64 now = 0;
    QStringList log;

    Rig()
    {
        auto fake = std::make_unique<FakeLastInput>(&now);
        input = fake.get();
        scheduler.setLastInputSource(std::move(fake));
        scheduler.setClock([this] { return now; });
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

    // One timer timeout, stepMs after the previous one.
    void tick(int count = 1, qint64 stepMs = 1000)
    {
        for (int i = 0; i < count; ++i) {
            now += stepMs;
            QMetaObject::invokeMethod(&scheduler, "onTick", Qt::DirectConnection);
        }
    }
    QStringList take()
    {
        QStringList taken = log;
        log.clear();
        return taken;
    }
    // Runs the working countdown and the warning down to the start of the break.
    void runToBreak()
    {
        tick(scheduler.remainingSeconds());
        tick(BreakScheduler::WarningSeconds);
        QCOMPARE(scheduler.state(), BreakScheduler::OnBreak);
    }
};

} // namespace

class TestBreakScheduler : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    // Settings as if read from storage, where the setters' rules do not apply.
    void storeSettings(const QVariantMap& values)
    {
        QSettings stored(m_dir->path() + "/RespiteKeeper/RespiteKeeper.conf", QSettings::IniFormat);
        stored.setValue("version", 2);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            stored.setValue(it.key(), it.value());
        stored.sync();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir->path());
    }

    void defaultRhythmIsMicroMicroLong()
    {
        Rig rig;
        rig.scheduler.start();
        QCOMPARE(rig.take(), QStringList{"running"});
        QVERIFY(rig.scheduler.isRunning());

        for (int cycle = 1; cycle <= 6; ++cycle) {
            const bool isLong = cycle % 3 == 0;
            const QString type = isLong ? "1" : "0";
            rig.tick(1199);
            QCOMPARE(rig.take(), QStringList());
            rig.tick();
            QCOMPARE(rig.take(), (QStringList{"warning " + type + " 10", "state"}));
            rig.tick(9);
            QCOMPARE(rig.take(), QStringList());
            rig.tick();
            QCOMPARE(rig.take(), (QStringList{"state", "started " + type + (isLong ? " 300" : " 20")}));
            QVERIFY(rig.scheduler.isOnBreak());
            rig.tick(isLong ? 299 : 19);
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
        QTest::newRow("defaults") << 1200 << 3600 << "MMLM";
    }

    void breaksPerLongBreakIsTheTruncatedRatio()
    {
        QFETCH(int, microInterval);
        QFETCH(int, longInterval);
        QFETCH(QString, rhythm);
        storeSettings({{"microBreakInterval", microInterval}, {"longBreakInterval", longInterval}});
        Rig rig;
        rig.settings.load();
        rig.scheduler.start();
        QString seen;
        for (int i = 0; i < rhythm.size(); ++i) {
            seen += rig.scheduler.currentBreakType() == Long ? 'L' : 'M';
            rig.runToBreak();
            rig.tick(rig.scheduler.remainingSeconds());
        }
        QCOMPARE(seen, rhythm);
        if (!rhythm.contains('M'))
            QCOMPARE(rig.scheduler.secondsUntilNextMicroBreak(), -1);
    }

    void postponeDuringWarningIgnoresSetting()
    {
        for (bool enabled : {true, false}) {
            Rig rig;
            rig.settings.setPostponeEnabled(enabled);
            rig.scheduler.start();
            rig.tick(1200);
            rig.take();
            rig.scheduler.postponeBreak();
            QCOMPARE(rig.take(), QStringList{"state"});
            QCOMPARE(rig.scheduler.state(), BreakScheduler::Postponed);
            QCOMPARE(rig.scheduler.remainingSeconds(), 300);
        }
    }

    void postponeDuringBreakNeedsSetting()
    {
        Rig rig;
        rig.settings.setPostponeEnabled(false);
        rig.scheduler.start();
        rig.runToBreak();
        rig.take();
        rig.scheduler.postponeBreak();
        QCOMPARE(rig.take(), QStringList());
        QVERIFY(rig.scheduler.isOnBreak());

        rig.settings.setPostponeEnabled(true);
        rig.scheduler.postponeBreak();
        QCOMPARE(rig.take(), (QStringList{"state", "finished 0"}));
        QCOMPARE(rig.scheduler.state(), BreakScheduler::Postponed);
        QCOMPARE(rig.scheduler.completedBreaks(), 0);

        // The same break comes back after 300 s and a fresh warning.
        rig.tick(299);
        QCOMPARE(rig.take(), QStringList());
        rig.tick();
        QCOMPARE(rig.take(), (QStringList{"warning 0 10", "state"}));
        rig.tick(10);
        QCOMPARE(rig.take(), (QStringList{"state", "started 0 20"}));
    }

    void postponeElsewhereDoesNothing()
    {
        Rig rig;
        rig.scheduler.postponeBreak(); // never started
        rig.scheduler.start();
        rig.scheduler.postponeBreak(); // working
        rig.tick(1200);
        rig.scheduler.postponeBreak();
        rig.take();
        rig.scheduler.postponeBreak(); // postponed
        QCOMPARE(rig.scheduler.remainingSeconds(), 300);
        rig.scheduler.pause(2);
        rig.take();
        rig.scheduler.postponeBreak(); // paused
        QCOMPARE(rig.take(), QStringList());
        QCOMPARE(rig.scheduler.state(), BreakScheduler::Paused);
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
        QCOMPARE(int(rig.scheduler.state()), phase);
        const int remaining = rig.scheduler.remainingSeconds();
        rig.take();

        rig.scheduler.pause(2);
        QCOMPARE(rig.take(), (QStringList{"state", "running"}));
        QVERIFY(!rig.scheduler.isRunning());
        QCOMPARE(rig.scheduler.remainingSeconds(), 7200);
        QCOMPARE(rig.scheduler.secondsUntilNextMicroBreak(), -1);
        QCOMPARE(rig.scheduler.secondsUntilNextLongBreak(), -1);
        rig.tick(50);
        rig.scheduler.resume();
        QCOMPARE(rig.take(), (QStringList{"running", "state"}));
        QCOMPARE(int(rig.scheduler.state()), phase);
        QCOMPARE(rig.scheduler.remainingSeconds(), remaining);
    }

    void pauseRunsOutByItself()
    {
        Rig rig;
        rig.scheduler.start();
        rig.tick(1203);
        rig.scheduler.pause(1);
        rig.take();
        rig.tick(3599);
        QCOMPARE(rig.take(), QStringList());
        rig.tick();
        QCOMPARE(rig.take(), (QStringList{"running", "state"}));
        QCOMPARE(rig.scheduler.state(), BreakScheduler::Warning);
        QCOMPARE(rig.scheduler.remainingSeconds(), 7);
        rig.tick(7);
        QCOMPARE(rig.take(), (QStringList{"state", "started 0 20"}));
    }

    void stopThenResumeStartsAFreshCycle()
    {
        Rig rig;
        rig.scheduler.start();
        rig.runToBreak();
        rig.tick(20);
        rig.tick(500);
        rig.take();
        rig.scheduler.stop();
        QCOMPARE(rig.take(), (QStringList{"running", "state"}));
        QCOMPARE(rig.scheduler.state(), BreakScheduler::Paused);
        rig.scheduler.resume();
        QCOMPARE(rig.take(), QStringList{"running"});
        QCOMPARE(rig.scheduler.state(), BreakScheduler::Working);
        QCOMPARE(rig.scheduler.remainingSeconds(), 1200);
        QCOMPARE(rig.scheduler.completedBreaks(), 1);
    }

    void repeatedCallsChangeNothing()
    {
        Rig rig;
        rig.scheduler.pause(2);
        rig.scheduler.stop();
        QCOMPARE(rig.take(), QStringList());
        rig.scheduler.start();
        rig.take();
        rig.scheduler.start();
        rig.scheduler.resume();
        QCOMPARE(rig.take(), QStringList());
    }

    void startStopsWhenAReceiverStopsIt()
    {
        Rig rig;
        QObject::connect(&rig.scheduler, &BreakScheduler::runningChanged, &rig.scheduler, [&rig] {
            if (rig.scheduler.isRunning())
                rig.scheduler.stop();
        });
        rig.scheduler.start();
        QVERIFY(!rig.scheduler.isRunning());
        rig.tick(2000);
        QVERIFY(!rig.log.contains("warning 0 10"));
    }

    // A late timeout counts several seconds at once; a stop from a receiver ends that.
    void aStopDuringACatchUpSticks()
    {
        Rig rig;
        rig.settings.setMicroBreakInterval(60);
        QObject::connect(&rig.scheduler, &BreakScheduler::warningStarted, &rig.scheduler,
                         [&rig] { rig.scheduler.stop(); });
        rig.scheduler.start();
        rig.tick(58);
        rig.tick(1, 3000); // a late timeout: three seconds at once
        QVERIFY(!rig.scheduler.isRunning());
        QCOMPARE(rig.scheduler.state(), BreakScheduler::Paused);
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
        QCOMPARE(rig.take(), (QStringList{"warning 1 10", "state"}));
        rig.tick(10);
        QCOMPARE(rig.take(), (QStringList{"state", "started 1 300"}));

        // During a break: that break counts as finished, then the test break warns.
        rig.tick(5);
        rig.scheduler.triggerMicroBreak();
        QCOMPARE(rig.take(), (QStringList{"state", "finished 1", "warning 0 10", "state"}));
        QCOMPARE(rig.scheduler.completedBreaks(), 1);
        rig.tick(10);
        rig.tick(20);
        QCOMPARE(rig.take(), (QStringList{"state", "started 0 20", "state", "finished 0"}));
        // Breaks 1 and 2 are over; number 3 is long by the rhythm.
        QCOMPARE(rig.scheduler.currentBreakType(), Long);
    }

    void settingsChangeRestartsOnlyTheWorkingCountdown()
    {
        Rig rig;
        rig.scheduler.start();
        rig.tick(600);
        rig.take();
        rig.settings.setMicroBreakInterval(300);
        rig.scheduler.onSettingsChanged();
        QCOMPARE(rig.scheduler.remainingSeconds(), 300);
        QCOMPARE(rig.take(), QStringList());

        rig.tick(302);
        QCOMPARE(rig.scheduler.state(), BreakScheduler::Warning);
        rig.scheduler.onSettingsChanged();
        QCOMPARE(rig.scheduler.state(), BreakScheduler::Warning);
        QCOMPARE(rig.scheduler.remainingSeconds(), 8);

        rig.tick(10);
        rig.settings.setMicroBreakDuration(60);
        rig.scheduler.onSettingsChanged();
        QVERIFY(rig.scheduler.isOnBreak());
        QCOMPARE(rig.scheduler.remainingSeconds(), 18);

        rig.scheduler.pause(2);
        rig.scheduler.onSettingsChanged();
        QCOMPARE(rig.scheduler.remainingSeconds(), 7200);
    }

    // Five minutes after the last input the working countdown stands still, from the
    // same second on as when the idle time is asked every second, and it runs again
    // at the first input; the idle time is asked only when it could have passed.
    void idleFreezesWorkingAndPostponedOnly()
    {
        Rig rig;
        rig.input->lastInputAt = 0;
        rig.scheduler.start();
        rig.tick(299);
        QCOMPARE(rig.scheduler.remainingSeconds(), 901);
        QVERIFY2(rig.input->queries <= 2, qPrintable(QString::number(rig.input->queries)));
        rig.tick(1); // 300 s without input: more than 299 999 ms
        rig.tick(100);
        QCOMPARE(rig.scheduler.remainingSeconds(), 901);
        rig.input->lastInputAt = rig.now;
        rig.tick(1);
        QCOMPARE(rig.scheduler.remainingSeconds(), 900);
        rig.input->lastInputAt = std::numeric_limits<qint64>::max(); // at the keyboard again
        rig.tick(899);

        // The warning and the break run on whatever the user does; the user's last
        // input is at the warning. A postponed break waits for the user again: 300 s
        // after that input, 285 s into the postponement, its countdown stands still.
        rig.input->lastInputAt = rig.now;
        rig.tick(1);
        QCOMPARE(rig.scheduler.state(), BreakScheduler::Warning);
        rig.tick(10);
        QVERIFY(rig.scheduler.isOnBreak());
        const int queriesBefore = rig.input->queries;
        rig.tick(4);
        QCOMPARE(rig.input->queries, queriesBefore);
        rig.scheduler.postponeBreak();
        rig.tick(400);
        QCOMPARE(rig.scheduler.remainingSeconds(), 16);

        // Unknown idle time counts as an active user.
        rig.input->lastInputAt.reset();
        rig.tick(10);
        QCOMPARE(rig.scheduler.remainingSeconds(), 6);

        rig.input->lastInputAt = rig.now - 600000;
        rig.settings.setIdlePauseEnabled(false);
        rig.tick(5);
        QCOMPARE(rig.scheduler.remainingSeconds(), 1);
    }

    void tickDifferenceSurvivesTheCounterWrap()
    {
        QCOMPARE(tickDifference(5000, 2000), 3000u);
        QCOMPARE(tickDifference(1000, 0xFFFFFC18u), 2000u); // 1000 ms after the wrap, 1000 ms before it
        QCOMPARE(tickDifference(299999, 0xFFFFFFFFu), 300000u);
        QCOMPARE(tickDifference(0, 0), 0u);
    }

    void estimatesInEachPhase()
    {
        Rig rig;
        QCOMPARE(rig.scheduler.secondsUntilNextMicroBreak(), -1);
        rig.scheduler.start();
        // 1200 + 10, and the long break is the third: two more micro cycles of 20 + 1200 + 10.
        QCOMPARE(rig.scheduler.secondsUntilNextMicroBreak(), 1210);
        QCOMPARE(rig.scheduler.secondsUntilNextLongBreak(), 1210 + 2 * 1230);

        rig.tick(1203);
        QCOMPARE(rig.scheduler.secondsUntilNextMicroBreak(), 7);
        QCOMPARE(rig.scheduler.secondsUntilNextLongBreak(), 7 + 2 * 1230);

        rig.tick(7 + 5); // break 1, 15 s left
        QCOMPARE(rig.scheduler.secondsUntilNextMicroBreak(), 15 + 1210);
        QCOMPARE(rig.scheduler.secondsUntilNextLongBreak(), 15 + 1210 + 1230);

        rig.tick(15);
        rig.runToBreak(); // break 2: break 3 is long
        rig.tick(4);
        const int t = 16 + 1200 + 10;
        QCOMPARE(rig.scheduler.secondsUntilNextLongBreak(), t);
        QCOMPARE(rig.scheduler.secondsUntilNextMicroBreak(), t + 300 + 1200 + 10);

        rig.tick(16);
        rig.runToBreak(); // break 3 (long): break 4 is micro, the next long is 6
        QCOMPARE(rig.scheduler.currentBreakType(), Long);
        const int t4 = 300 + 1200 + 10;
        QCOMPARE(rig.scheduler.secondsUntilNextMicroBreak(), t4);
        QCOMPARE(rig.scheduler.secondsUntilNextLongBreak(), t4 + 2 * 1230);

        rig.tick(300);
        rig.tick(1200);
        rig.scheduler.postponeBreak(); // break 4 postponed: 300 + 10 to go
        QCOMPARE(rig.scheduler.secondsUntilNextMicroBreak(), 310);
    }

    // The timer may fire a little early or late; the counted time follows the clock.
    void countingKeepsWallClockTime_data()
    {
        QTest::addColumn<int>("timeoutMs");
        QTest::newRow("timeouts 5% early") << 950;
        QTest::newRow("timeouts 5% late") << 1050;
        QTest::newRow("exact timeouts") << 1000;
    }

    void countingKeepsWallClockTime()
    {
        QFETCH(int, timeoutMs);
        Rig rig;
        rig.scheduler.start();
        const qint64 startedAt = rig.now;
        while (!rig.log.contains("warning 0 10"))
            rig.tick(1, timeoutMs);
        const qint64 elapsed = rig.now - startedAt;
        QVERIFY2(qAbs(elapsed - 1200 * 1000) <= 1000, qPrintable(QString::number(elapsed)));
    }

    void aLongStallIsNotWorkingTime()
    {
        Rig rig;
        rig.scheduler.start();
        rig.tick(100);
        rig.tick(1, 3600 * 1000); // the machine slept for an hour
        QCOMPARE(rig.scheduler.remainingSeconds(), 1099);
        rig.tick(1, 3000); // a short stall is caught up
        QCOMPARE(rig.scheduler.remainingSeconds(), 1096);
    }
};

QTEST_GUILESS_MAIN(TestBreakScheduler)
#include "tst_breakscheduler.moc"
