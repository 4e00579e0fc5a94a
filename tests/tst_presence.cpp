#include "TestHelpers.h"
#include "platform/IdlePresenceSource.h"
#include "platform/NotifiedLastInputSource.h"

namespace {
// An idle time that is asked, set by hand; unknown when empty.
struct AskedInput : LastInputSource
{
    std::optional<qint64>* idleMs;
    int* questions;
    bool canDetectIdle() override { return idleMs->has_value(); }
    std::optional<qint64> millisecondsSinceLastInput() override { return ++*questions, *idleMs; }
};
} // namespace

class TestPresence : public QObject
{
    Q_OBJECT

private slots:
    // The most telling reason of the sources that are on; a signal at each change of
    // the reason, none when another source of the same reason comes or goes.
    void theMostTellingReasonIsTold()
    {
        ManualClock rig;
        FakeSource* camera = rig.add(QuietReason::Call);
        QStringList told;
        connect(&rig.presence, &Presence::awayChanged, [&](AwayReason r) { told << Presence::name(r); });
        connect(&rig.presence, &Presence::quietChanged, [&](QuietReason r) { told << Presence::name(r); });
        rig.idle->setOn(true);
        rig.locked->setOn(true);
        rig.asleep->setOn(true);
        rig.asleep->setOn(false);
        rig.doNotDisturb->setOn(true);
        rig.call->setOn(true);
        camera->setOn(true);
        rig.call->setOn(false);
        camera->setOn(false);
        rig.locked->setOn(false);
        QCOMPARE(told.join(", "),
                 QStringLiteral("idle time, locked screen, sleep, locked screen, do not disturb, call, "
                                "do not disturb, idle time"));
        QVERIFY(rig.presence.away() == AwayReason::Idle && rig.presence.quiet() == QuietReason::DoNotDisturb);
        rig.presence.look();
        QVERIFY(camera->looks == 1 && rig.fullScreen->looks == 1);
        QCOMPARE(rig.presence.descriptions().last(), QStringLiteral("call: set by hand"));
    }

    // A told source is read at each notice; a lost one is at the screen.
    void idleFromNotices()
    {
        qint64 now = 0;
        auto owned = std::make_unique<NotifiedLastInputSource>(300000, [&now] { return now; });
        NotifiedLastInputSource& notices = *owned;
        IdlePresenceSource idle(std::move(owned), 300000);
        QVERIFY(!idle.isOn());
        notices.noticeAway(300000);
        QVERIFY(idle.isOn());
        now += 5000;
        notices.noticeBack();
        QVERIFY(!idle.isOn());
        notices.noticeAway(310000);
        notices.noticeLost();
        QVERIFY(!idle.isOn() && !notices.canDetectIdle());
    }

    // An idle time that must be asked is asked again when the user could first have
    // reached the limit, every second while away or after a failed question, and
    // never where it cannot be told.
    void idleThatIsAsked()
    {
        std::optional<qint64> idleMs = 1000;
        int questions = 0;
        auto input = std::make_unique<AskedInput>();
        input->idleMs = &idleMs;
        input->questions = &questions;
        IdlePresenceSource idle(std::move(input), 300000);
        QCOMPARE(questions, 1);
        QStringList seen;
        for (std::optional<qint64> value : {std::optional<qint64>(0), {299999}, {300000}, {299000}, {}}) {
            idleMs = value;
            seen << QStringLiteral("%1 %2").arg(idle.ask()).arg(idle.isOn());
        }
        QCOMPARE(seen.join(", "), QStringLiteral("300000 0, 1000 0, 1000 1, 1000 0, -1 0"));
    }
};

QTEST_MAIN(TestPresence)
#include "tst_presence.moc"
