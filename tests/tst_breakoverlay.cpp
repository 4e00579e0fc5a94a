#include "TestHelpers.h"

#include <QGuiApplication>
#include <QProgressBar>

namespace {
struct Screen : LoadedSettings
{
    FakeInputHold::Log hold;
    BreakOverlay overlay{&settings};
    Screen() { overlay.setInputHoldBackend(std::make_unique<FakeInputHold>(&hold)); }
    QString countdown() const { return text(&overlay, "countdownLabel"); }
    QPushButton* button() const { return child<QPushButton>(&overlay, "postponeButton"); }
    bool buttonShown() const { return button()->isVisibleTo(&overlay); }
    void tick(int n = 1) { invoke(&overlay, "onCountdownTick", n); }
};
} // namespace

// Runs on an offscreen desktop of two monitors: 1920x1080 at (0,0), primary, and
// 2560x1440 at (1920,0).
class TestBreakOverlay : public QObject
{
    Q_OBJECT

private slots:
    // The button shows from the first to the tenth second of a break, while the
    // setting allows, and never comes back later; the count stops at zero, and
    // the scheduler alone ends a break.
    void countdownAndPostponeButton()
    {
        Screen s;
        s.overlay.showBreak(Long, "Take a walk", 300);
        QCOMPARE(text(&s.overlay, "messageLabel"), QStringLiteral("Take a walk"));
        QCOMPARE(s.countdown(), QStringLiteral("Remaining: 5 m"));
        QVERIFY(!s.buttonShown());
        s.tick();
        QVERIFY(s.buttonShown());
        QCOMPARE(s.countdown(), QStringLiteral("Remaining: 4 m 59 s"));
        s.tick(8);
        QVERIFY(s.buttonShown());
        s.tick();
        QVERIFY(!s.buttonShown() && child<QProgressBar>(&s.overlay, "progressBar")->value() == 10);
        s.overlay.showBreak(Micro, QString(), 300);
        s.tick(3);
        s.settings.setPostponeEnabled(false);
        s.tick();
        QVERIFY(!s.buttonShown());
        s.settings.setPostponeEnabled(true);
        s.tick(10);
        QVERIFY(!s.buttonShown());
        s.overlay.showBreak(Micro, QString(), 3);
        s.tick(10);
        QCOMPARE(s.countdown(), QStringLiteral("Remaining: 0 s"));
        QVERIFY(child<QProgressBar>(&s.overlay, "progressBar")->value() == 3 && s.overlay.isVisible());
    }

    void coversAllMonitorsOrThePrimaryOneInItsColour()
    {
        QCOMPARE(QGuiApplication::screens().size(), 2);
        Screen s;
        s.overlay.showBreak(Micro, QString(), 20);
        QCOMPARE(s.overlay.geometry(), QRect(QPoint(0, 0), QPoint(4479, 1439)));
        s.overlay.hideBreak();
        s.settings.setShowOnAllMonitors(false);
        s.settings.setBackgroundColor(QColor(46, 125, 50));
        s.overlay.showBreak(Micro, QString(), 20);
        QCOMPARE(s.overlay.geometry(), QRect(0, 0, 1920, 1080));
        QCOMPARE(s.overlay.grab(QRect(0, 0, 50, 50)).toImage().pixelColor(5, 5), QColor(46, 125, 50));
    }

    // Held only while showing; a new break while one shows takes the hold afresh;
    // Postpone releases the hold and hides before it is announced.
    void holdsTheInputOnlyWhileShowing()
    {
        FakeInputHold::Log log;
        {
            Screen s;
            s.overlay.showBreak(Micro, QString(), 20);
            QVERIFY(s.hold.held && s.hold.window == &s.overlay);
            s.overlay.hideBreak();
            QVERIFY(!s.hold.held);
            s.overlay.showBreak(Micro, QString(), 20);
            const int releases = s.hold.releases;
            s.overlay.showBreak(Long, QString(), 300);
            QVERIFY(s.hold.held && s.hold.releases > releases);
            s.tick();
            bool heldWhenEmitted = true;
            connect(&s.overlay, &BreakOverlay::postponeRequested,
                    [&] { heldWhenEmitted = s.hold.held || s.overlay.isVisible(); });
            QSignalSpy postponed(&s.overlay, &BreakOverlay::postponeRequested);
            s.button()->click();
            QVERIFY(postponed.count() == 1 && !heldWhenEmitted);
            s.overlay.setInputHoldBackend(std::make_unique<FakeInputHold>(&log));
            s.overlay.showBreak(Micro, QString(), 20);
            QVERIFY(log.held);
        }
        QVERIFY(!log.held); // destruction releases too
    }

    // A new message of the break's kind replaces the old one; the count goes on.
    void languageChangeReTextsWithoutTouchingTheCount()
    {
        Screen s;
        s.overlay.showBreak(Micro, "Stretch", 20);
        s.tick(2);
        MarkingTranslator translator;
        switchTranslator(&translator, true);
        QCOMPARE(s.button()->text(), QStringLiteral("[Postpone]"));
        QCOMPARE(s.countdown(), QStringLiteral("[Remaining: %1]").arg("[%1 s]").arg(18));
        QVERIFY(s.settings.microBreakMessages().contains(text(&s.overlay, "messageLabel")));
        switchTranslator(&translator, false);
        s.overlay.showBreak(Long, "Walk", 300);
        switchTranslator(&translator, true);
        QVERIFY(s.settings.longBreakMessages().contains(text(&s.overlay, "messageLabel")));
        switchTranslator(&translator, false);
    }
};

QTEST_MAIN(TestBreakOverlay)
#include "tst_breakoverlay.moc"
