#include "TestHelpers.h"
#include "ui/WarningDialog.h"

// The break screens as start-up connects them to the break scheduler.
class TestBreakWiring : public QObject
{
    Q_OBJECT

private slots:
    // The popup is gone before the overlay shows.
    void aBreakRunsFromPopupToOverlayAndBack()
    {
        RunningProgram p;
        WarningDialog& popup = *p.program.breakWarning;
        BreakOverlay& overlay = *p.program.breakOverlay;
        p.tick(1199);
        QVERIFY(!popup.isVisible());
        p.tick();
        QVERIFY(popup.isVisible());
        struct ShowWatch : QObject
        {
            QWidget* popup;
            bool popupVisibleAtShow = true;
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::Show)
                    popupVisibleAtShow = popup->isVisible();
                return false;
            }
        } watch;
        watch.popup = &popup;
        overlay.installEventFilter(&watch);
        p.tick(10);
        QVERIFY(overlay.isVisible() && p.hold.held && !popup.isVisible() && !watch.popupVisibleAtShow);
        p.tick(20);
        QVERIFY(!overlay.isVisible() && !p.hold.held);
    }

    void postponeOnEitherScreenReachesTheScheduler()
    {
        RunningProgram p;
        p.tick(1203);
        child<QPushButton>(p.program.breakWarning.get(), "postponeButton")->click();
        QVERIFY(p.program.breakScheduler->state() == BreakScheduler::Postponed && !p.program.breakWarning->isVisible());
        p.tick(310);
        BreakOverlay& overlay = *p.program.breakOverlay;
        QVERIFY(overlay.isVisible());
        invoke(&overlay, "onCountdownTick");
        child<QPushButton>(&overlay, "postponeButton")->click();
        QCOMPARE(p.program.breakScheduler->state(), BreakScheduler::Postponed);
        QVERIFY(!overlay.isVisible() && !p.hold.held);
    }
};

QTEST_MAIN(TestBreakWiring)
#include "tst_breakwiring.moc"
