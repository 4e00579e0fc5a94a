#include "TestHelpers.h"
#include "settings/SettingsManager.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

namespace {
struct Screen
{
    StoredSettings stored;
    SettingsManager settings;
    FakeInputHold::Log hold;
    BreakOverlay overlay{&settings};
    Screen() { overlay.setInputHoldBackend(std::make_unique<FakeInputHold>(&hold)); }
    QString text(const char* label) const { return overlay.findChild<QLabel*>(label)->text(); }
    int progress() const { return overlay.findChild<QProgressBar*>("progressBar")->value(); }
    QPushButton* button() const { return overlay.findChild<QPushButton*>("postponeButton"); }
    bool buttonShown() const { return button()->isVisibleTo(&overlay); }
    void tick(int n = 1)
    {
        for (int i = 0; i < n; ++i)
            QMetaObject::invokeMethod(&overlay, "onCountdownTick", Qt::DirectConnection);
    }
};
} // namespace

// Runs on an offscreen desktop of two monitors: 1920x1080 at (0,0), primary, and
// 2560x1440 at (1920,0).
class TestBreakOverlay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::screens().size(), 2); }

    // The button shows from the first to the tenth second of a break, while the
    // setting allows, and never comes back later; the count stops at zero.
    void countdownAndPostponeButton()
    {
        Screen s;
        s.overlay.showBreak(Long, "Take a walk", 300);
        QCOMPARE(s.text("messageLabel"), QStringLiteral("Take a walk"));
        QCOMPARE(s.text("countdownLabel"), QStringLiteral("Remaining: 5 m"));
        QVERIFY(!s.buttonShown());
        s.tick();
        QVERIFY(s.buttonShown());
        QCOMPARE(s.text("countdownLabel"), QStringLiteral("Remaining: 4 m 59 s"));
        s.tick(8);
        QVERIFY(s.buttonShown());
        s.tick();
        QCOMPARE(s.progress(), 10);
        QVERIFY(!s.buttonShown());
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
        QCOMPARE(s.text("countdownLabel"), QStringLiteral("Remaining: 0 s"));
        QCOMPARE(s.progress(), 3);
        QVERIFY(s.overlay.isVisible()); // the scheduler alone ends a break
    }

    void coversAllMonitorsOrThePrimaryOneInItsColour()
    {
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

    void holdsTheInputOnlyWhileShowing()
    {
        FakeInputHold::Log log;
        {
            Screen s;
            s.overlay.showBreak(Micro, QString(), 20);
            QVERIFY(s.hold.held);
            QCOMPARE(s.hold.window, &s.overlay);
            s.overlay.hideBreak();
            QVERIFY(!s.hold.held);
            // A new break while one shows takes the hold afresh.
            s.overlay.showBreak(Micro, QString(), 20);
            const int releases = s.hold.releases;
            s.overlay.showBreak(Long, QString(), 300);
            QVERIFY(s.hold.held && s.hold.releases > releases);
            s.overlay.setInputHoldBackend(std::make_unique<FakeInputHold>(&log));
            s.overlay.showBreak(Micro, QString(), 20);
            QVERIFY(log.held);
        }
        QVERIFY(!log.held); // destruction releases too
    }

    void postponeHidesReleasesThenEmits()
    {
        Screen s;
        s.overlay.showBreak(Micro, QString(), 20);
        s.tick();
        bool heldWhenEmitted = true;
        connect(&s.overlay, &BreakOverlay::postponeRequested, [&] { heldWhenEmitted = s.hold.held; });
        QSignalSpy postponed(&s.overlay, &BreakOverlay::postponeRequested);
        s.button()->click();
        QCOMPARE(postponed.count(), 1);
        QVERIFY(!heldWhenEmitted && !s.overlay.isVisible());
    }

    void languageChangeReTextsWithoutTouchingTheCount()
    {
        Screen s;
        s.overlay.showBreak(Micro, "Stretch", 20);
        s.tick(2);
        MarkingTranslator translator;
        switchTranslator(&translator, true);
        QCOMPARE(s.button()->text(), QStringLiteral("[Postpone]"));
        QCOMPARE(s.text("countdownLabel"), QStringLiteral("[Remaining: %1]").arg("[%1 s]").arg(18));
        // A new message of the break's kind replaces the old one.
        QVERIFY(s.settings.microBreakMessages().contains(s.text("messageLabel")));
        switchTranslator(&translator, false);
        s.overlay.showBreak(Long, "Walk", 300);
        switchTranslator(&translator, true);
        QVERIFY(s.settings.longBreakMessages().contains(s.text("messageLabel")));
        switchTranslator(&translator, false);
    }
};

QTEST_MAIN(TestBreakOverlay)
#include "tst_breakoverlay.moc"
