#include "TestHelpers.h"
#include "app/Wiring.h"
#include "platform/LastInputSource.h"
#include "scheduling/BreakScheduler.h"
#include "settings/SettingsManager.h"
#include "ui/BreakOverlay.h"
#include "ui/WarningDialog.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

// The break scheduler driven by hand, with the popup and the overlay connected as
// start-up connects them.
class TestBreakWiring : public QObject
{
    Q_OBJECT

private:
    struct Program
    {
        SettingsManager settings;
        BreakScheduler scheduler{&settings};
        WarningDialog popup{&settings};
        BreakOverlay overlay{&settings};
        FakeInputHold::Log hold;
        qint64 now = 0;
        Program()
        {
            scheduler.setClock([this] { return now; });
            scheduler.setLastInputSource(std::make_unique<ActiveUser>());
            overlay.setInputHoldBackend(std::make_unique<FakeInputHold>(&hold));
            connectBreakScreens(scheduler, popup, overlay);
            scheduler.start();
        }
        void tick(int n)
        {
            for (int i = 0; i < n; ++i) {
                now += 1000;
                QMetaObject::invokeMethod(&scheduler, "onTick", Qt::DirectConnection);
            }
        }
    };

private slots:
    void aBreakRunsFromPopupToOverlayAndBack()
    {
        Program p;
        p.tick(1199);
        QVERIFY(!p.popup.isVisible());
        p.tick(1);
        QVERIFY(p.popup.isVisible());

        bool popupVisibleWhenOverlayShowed = true;
        struct ShowWatcher : QObject
        {
            std::function<void()> onShow;
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::Show)
                    onShow();
                return false;
            }
        } watcher;
        watcher.onShow = [&] { popupVisibleWhenOverlayShowed = p.popup.isVisible(); };
        p.overlay.installEventFilter(&watcher);

        p.tick(10);
        QVERIFY(p.overlay.isVisible());
        QVERIFY(!p.popup.isVisible());
        QVERIFY(!popupVisibleWhenOverlayShowed);
        QVERIFY(p.hold.held);

        p.tick(20);
        QVERIFY(!p.overlay.isVisible());
        QVERIFY(!p.hold.held);
        QCOMPARE(p.scheduler.state(), BreakScheduler::Working);
    }

    void postponeOnThePopupReachesTheScheduler()
    {
        Program p;
        p.tick(1203);
        p.popup.findChild<QPushButton*>("postponeButton")->click();
        QCOMPARE(p.scheduler.state(), BreakScheduler::Postponed);
        QVERIFY(!p.popup.isVisible());
    }

    void postponeOnTheOverlayReachesTheScheduler()
    {
        Program p;
        p.tick(1212);
        QVERIFY(p.overlay.isVisible());
        QMetaObject::invokeMethod(&p.overlay, "onCountdownTick", Qt::DirectConnection);
        p.overlay.findChild<QPushButton*>("postponeButton")->click();
        QCOMPARE(p.scheduler.state(), BreakScheduler::Postponed);
        QVERIFY(!p.overlay.isVisible());
        QVERIFY(!p.hold.held);
        p.tick(310);
        QVERIFY(p.overlay.isVisible());
    }
};

QTEST_MAIN(TestBreakWiring)
#include "tst_breakwiring.moc"
