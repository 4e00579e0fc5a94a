#include "TestHelpers.h"

namespace {
// The running program's tray.
struct Tray : RunningProgram
{
    using RunningProgram::RunningProgram;
    SystemTrayIcon& tray = *program.trayIcon;
    BreakScheduler& scheduler = *program.breakScheduler;
    SettingsDialog& dialog = *program.settingsDialog;
    QString tooltip()
    {
        tray.onBreakStateChanged(); // what the one-second refresh would show
        return tray.trayIcon().toolTip();
    }
    QAction* action(int index) { return tray.menu()->actions().at(index); }
};
} // namespace

// The tray object works without a visible tray, as on this offscreen platform.
class TestSystemTrayIcon : public QObject
{
    Q_OBJECT

private slots:
    // The pictures shown are the state's SVG, at every size a tray may ask for; the
    // tooltip tells the next breaks.
    void pictureAndTooltipFollowTheScheduler()
    {
        Tray t;
        const auto shows = [&t](const char* name) {
            const QIcon svg(QStringLiteral(":/icons/%1.svg").arg(name));
            for (int side : {16, 22, 24, 32, 64}) {
                QVERIFY(!svg.pixmap(side, side).isNull());
                QCOMPARE(t.tray.trayIcon().icon().pixmap(side, side).toImage(), svg.pixmap(side, side).toImage());
            }
        };
        shows("idle");
        t.tick(5);
        QCOMPARE(t.tooltip(),
                 QStringLiteral("RespiteKeeper\nNext micro break in 20 m 5 s\nNext long break in 61 m 5 s"));
        t.tick(1195);
        shows("warning");
        // A call that starts during the warning takes the popup away and holds the
        // break, which the picture and the tooltip's first line tell.
        QVERIFY(t.program.breakWarning->isVisible());
        t.clock.call->setOn(true);
        shows("held");
        QVERIFY(!t.program.breakWarning->isVisible());
        QCOMPARE(t.tooltip(), QStringLiteral("Break held: a call is on\nNext micro break in 10 s\n"
                                             "Next long break in 41 m 10 s"));
        t.clock.call->setOn(false);
        t.tick(11);
        shows("break");
        t.scheduler.postponeBreak();
        shows("idle");
        t.clock.fullScreen->setOn(true);
        t.tick(300);
        shows("held");
        QVERIFY(t.tooltip().startsWith("Break held: a full-screen program is in front\n"));
        t.scheduler.pause(2);
        shows("paused");
        Tray everyBreakLong({{"longBreakInterval", 1200}});
        QCOMPARE(everyBreakLong.tooltip(),
                 QStringLiteral("RespiteKeeper\nNext micro break in N/A\nNext long break in 20 m 10 s"));
    }

    // Pause and resume, the test breaks; a double click alone opens the settings.
    void menuAndClicks()
    {
        Tray t;
        QAction* pause = t.action(0);
        pause->trigger();
        QVERIFY(!t.scheduler.isRunning() && !t.action(2)->isEnabled() && !t.action(3)->isEnabled());
        QCOMPARE(t.tooltip() + " " + pause->text(), QStringLiteral("RespiteKeeper - Paused Resume"));
        pause->trigger();
        QVERIFY(t.scheduler.isRunning() && t.action(2)->isEnabled());
        QCOMPARE(pause->text(), QStringLiteral("Pause for 2 hours"));
        t.action(3)->trigger();
        QVERIFY(t.scheduler.state() == BreakScheduler::Warning && t.scheduler.currentBreakType() == Long);
        t.action(2)->trigger();
        QCOMPARE(t.scheduler.currentBreakType(), Micro);
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
