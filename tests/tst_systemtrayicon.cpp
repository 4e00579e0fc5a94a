#include "TestHelpers.h"
#include "settings/SettingsManager.h"
#include "ui/SettingsDialog.h"
#include "ui/SystemTrayIcon.h"

#include <QAction>
#include <QMenu>
#include <QTest>

namespace {
// The tray with its own scheduler, settings and dialog, as start-up makes them.
struct Tray
{
    StoredSettings stored;
    SettingsManager settings;
    BreakScheduler scheduler{&settings};
    SettingsDialog dialog{&settings};
    SystemTrayIcon tray{&scheduler, &settings, &dialog};
    ManualClock clock;

    explicit Tray(const QVariantMap& values = {})
        : stored(values)
    {
        settings.load();
        clock.drive(scheduler);
    }
    void tick(int n) { clock.tick(scheduler, n); }
    QString tooltip()
    {
        tray.onBreakStateChanged(); // what the one-second refresh would show
        return tray.trayIcon().toolTip();
    }
    QAction* action(int index) { return tray.menu()->actions().at(index); }
    QImage picture(int side) const { return tray.trayIcon().icon().pixmap(side, side).toImage(); }
};
} // namespace

// The tray object works without a visible tray, as on this offscreen platform.
class TestSystemTrayIcon : public QObject
{
    Q_OBJECT

private slots:
    // The pictures shown are the state's SVG, at every size a tray may ask for.
    void pictureFollowsTheSchedulerState()
    {
        Tray t;
        const auto shows = [&t](const char* name, const QColor& fill) {
            const QIcon svg(QStringLiteral(":/icons/%1.svg").arg(name));
            for (int side : {16, 22, 24, 32, 64})
                QCOMPARE(t.picture(side), svg.pixmap(side, side).toImage());
            QCOMPARE(t.picture(64).pixelColor(32, 10), fill);
        };
        shows("paused", QColor("#757575"));
        t.scheduler.start();
        shows("idle", QColor("#2e7d32"));
        t.tick(1200);
        shows("warning", QColor("#e67e22"));
        t.tick(10);
        shows("break", QColor("#0078d4"));
        t.scheduler.postponeBreak();
        shows("idle", QColor("#2e7d32"));
    }

    void tooltipShowsTheNextBreaks_data()
    {
        QTest::addColumn<int>("longInterval");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("at the start") << 3600 << 0
                                      << "RespiteKeeper\nNext micro break in 20 m 10 s\nNext long break in 61 m 10 s";
        QTest::newRow("five seconds on") << 3600 << 5
                                         << "RespiteKeeper\nNext micro break in 20 m 5 s\nNext long break in 61 m 5 s";
        QTest::newRow("every break long")
            << 1200 << 0 << "RespiteKeeper\nNext micro break in N/A\nNext long break in 20 m 10 s";
    }

    void tooltipShowsTheNextBreaks()
    {
        QFETCH(int, longInterval);
        QFETCH(int, ticks);
        Tray t({{"longBreakInterval", longInterval}});
        t.scheduler.start();
        t.tick(ticks);
        QTEST(t.tooltip(), "tooltip");
    }

    void menuPausesResumesAndTestsBreaks()
    {
        Tray t;
        t.scheduler.start();
        QAction* pause = t.action(0);
        pause->trigger();
        QVERIFY(!t.scheduler.isRunning());
        QCOMPARE(t.tooltip(), QStringLiteral("RespiteKeeper - Paused"));
        QCOMPARE(pause->text(), QStringLiteral("Resume"));
        QVERIFY(!t.action(2)->isEnabled() && !t.action(3)->isEnabled());
        pause->trigger();
        QVERIFY(t.scheduler.isRunning());
        QCOMPARE(pause->text(), QStringLiteral("Pause for 2 hours"));
        QVERIFY(t.action(2)->isEnabled());
        t.action(3)->trigger();
        QCOMPARE(t.scheduler.state(), BreakScheduler::Warning);
        QCOMPARE(t.scheduler.currentBreakType(), Long);
        t.action(2)->trigger();
        QCOMPARE(t.scheduler.currentBreakType(), Micro);
        QCOMPARE(t.action(7)->text(), QStringLiteral("Quit"));
    }

    void doubleClickAloneOpensTheSettings()
    {
        Tray t;
        for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Context,
                            QSystemTrayIcon::DoubleClick}) {
            QMetaObject::invokeMethod(&t.tray, "onActivated", Q_ARG(QSystemTrayIcon::ActivationReason, reason));
            QCOMPARE(t.dialog.isVisible(), reason == QSystemTrayIcon::DoubleClick);
        }
        t.dialog.hide();
        t.action(5)->trigger();
        QVERIFY(t.dialog.isVisible());
    }
};

QTEST_MAIN(TestSystemTrayIcon)
#include "tst_systemtrayicon.moc"
