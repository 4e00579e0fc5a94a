#include "TestHelpers.h"
#include "settings/SettingsManager.h"
#include "ui/BreakOverlay.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

// Runs on an offscreen desktop of two monitors: 1920x1080 at (0,0), primary, and
// 2560x1440 at (1920,0).
class TestBreakOverlay : public QObject
{
    Q_OBJECT

private:
    struct Screen
    {
        SettingsManager settings;
        FakeInputHold::Log hold;
        BreakOverlay overlay{&settings};
        Screen() { overlay.setInputHoldBackend(std::make_unique<FakeInputHold>(&hold)); }
        QString count() const { return overlay.findChild<QLabel*>("countdownLabel")->text(); }
        QString message() const { return overlay.findChild<QLabel*>("messageLabel")->text(); }
        QProgressBar* progress() const { return overlay.findChild<QProgressBar*>("progressBar"); }
        QPushButton* button() const { return overlay.findChild<QPushButton*>("postponeButton"); }
        bool buttonShown() const { return button()->isVisibleTo(&overlay); }
        void tick(int n = 1)
        {
            for (int i = 0; i < n; ++i)
                QMetaObject::invokeMethod(&overlay, "onCountdownTick", Qt::DirectConnection);
        }
    };

private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::screens().size(), 2); }

    void postponeButtonShowsDuringTheFirstTenSeconds()
    {
        Screen s;
        s.overlay.showBreak(Long, "Take a walk", 300);
        QCOMPARE(s.message(), QStringLiteral("Take a walk"));
        QCOMPARE(s.count(), QStringLiteral("Remaining: 5 m"));
        QCOMPARE(s.progress()->maximum(), 300);
        QCOMPARE(s.progress()->value(), 0);
        QVERIFY(!s.buttonShown());
        s.tick();
        QVERIFY(s.buttonShown());
        QCOMPARE(s.progress()->value(), 1);
        QCOMPARE(s.count(), QStringLiteral("Remaining: 4 m 59 s"));
        s.tick(8);
        QVERIFY(s.buttonShown());
        s.tick();
        QCOMPARE(s.progress()->value(), 10);
        QVERIFY(!s.buttonShown());
        s.tick(50);
        QVERIFY(!s.buttonShown());
    }

    void postponeButtonFollowsTheSetting()
    {
        Screen s;
        s.settings.setPostponeEnabled(false);
        s.overlay.showBreak(Micro, QString(), 300);
        s.tick(5);
        QVERIFY(!s.buttonShown());

        s.settings.setPostponeEnabled(true);
        s.overlay.showBreak(Micro, QString(), 300);
        s.tick(3);
        QVERIFY(s.buttonShown());
        s.settings.setPostponeEnabled(false);
        s.tick();
        QVERIFY(!s.buttonShown());

        s.overlay.showBreak(Micro, QString(), 300);
        s.settings.setPostponeEnabled(false);
        s.tick(12);
        s.settings.setPostponeEnabled(true);
        s.tick();
        QVERIFY(!s.buttonShown());
    }

    void countStaysAtZeroUntilHidden()
    {
        Screen s;
        s.overlay.showBreak(Micro, QString(), 3);
        s.tick(10);
        QCOMPARE(s.count(), QStringLiteral("Remaining: 0 s"));
        QCOMPARE(s.progress()->value(), 3);
        QVERIFY(s.overlay.isVisible());
        s.overlay.hideBreak();
        QVERIFY(!s.overlay.isVisible());
    }

    void coversAllMonitorsOrThePrimaryOne()
    {
        Screen s;
        s.overlay.showBreak(Micro, QString(), 20);
        QCOMPARE(s.overlay.geometry(), QRect(QPoint(0, 0), QPoint(4479, 1439)));
        s.overlay.hideBreak();

        s.settings.setShowOnAllMonitors(false);
        s.overlay.showBreak(Micro, QString(), 20);
        QCOMPARE(s.overlay.geometry(), QGuiApplication::primaryScreen()->geometry());
        QCOMPARE(s.overlay.geometry(), QRect(0, 0, 1920, 1080));
    }

    void holdsTheInputOnlyWhileShowing()
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
        QVERIFY(s.hold.held);
        QVERIFY(s.hold.releases > releases);

        // Hiding a hidden overlay still releases.
        s.overlay.hideBreak();
        s.overlay.hideBreak();
        QVERIFY(!s.hold.held);
        QVERIFY(!s.overlay.isVisible());
    }

    void destructionReleasesTheHold()
    {
        FakeInputHold::Log log;
        {
            SettingsManager settings;
            BreakOverlay overlay(&settings);
            overlay.setInputHoldBackend(std::make_unique<FakeInputHold>(&log));
            overlay.showBreak(Micro, QString(), 20);
            QVERIFY(log.held);
        }
        QVERIFY(!log.held);
        QVERIFY(log.releases >= 1);
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
        QVERIFY(!heldWhenEmitted);
        QVERIFY(!s.overlay.isVisible());
    }

    void paintsTheConfiguredColour()
    {
        Screen s;
        s.settings.setShowOnAllMonitors(false);
        s.settings.setBackgroundColor(QColor(46, 125, 50));
        s.overlay.showBreak(Micro, QString(), 20);
        const QImage image = s.overlay.grab(QRect(0, 0, 50, 50)).toImage();
        QCOMPARE(image.pixelColor(5, 5), QColor(46, 125, 50));
        QVERIFY(!s.overlay.testAttribute(Qt::WA_TranslucentBackground));
    }

    void languageChangeReTextsWithoutTouchingTheCount()
    {
        Screen s;
        s.overlay.showBreak(Micro, "Stretch", 20);
        s.tick(2);
        MarkingTranslator translator;
        switchTranslator(&translator, true);
        QCOMPARE(s.button()->text(), QStringLiteral("[Postpone]"));
        QCOMPARE(s.count(), QStringLiteral("[Remaining: %1]").arg("[%1 s]").arg(18));
        // A new message of the break's kind replaces the old one.
        QVERIFY(s.settings.microBreakMessages().contains(s.message()));
        switchTranslator(&translator, false);
        s.overlay.showBreak(Long, "Walk", 300);
        switchTranslator(&translator, true);
        QVERIFY(s.settings.longBreakMessages().contains(s.message()));
        QVERIFY(s.buttonShown());
        switchTranslator(&translator, false);
    }
};

QTEST_MAIN(TestBreakOverlay)
#include "tst_breakoverlay.moc"
