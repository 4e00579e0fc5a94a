#include "TestHelpers.h"
#include "platform/LastInputSource.h"
#include "scheduling/BreakScheduler.h"
#include "settings/SettingsManager.h"
#include "ui/SettingsDialog.h"
#include "ui/SystemTrayIcon.h"

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

// The tray object works without a visible tray, as on this offscreen platform.
class TestSystemTrayIcon : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    struct Tray
    {
        SettingsManager settings;
        BreakScheduler scheduler{&settings};
        SettingsDialog dialog{&settings};
        SystemTrayIcon tray{&scheduler, &settings, &dialog};
        qint64 now = 0;
        Tray()
        {
            scheduler.setClock([this] { return now; });
            scheduler.setLastInputSource(std::make_unique<ActiveUser>());
        }
        void tick(int n)
        {
            for (int i = 0; i < n; ++i) {
                now += 1000;
                QMetaObject::invokeMethod(&scheduler, "onTick", Qt::DirectConnection);
            }
        }
        QString tooltip() const { return tray.trayIcon().toolTip(); }
        QList<QAction*> actions() { return tray.menu()->actions(); }
        void activate(QSystemTrayIcon::ActivationReason reason)
        {
            QMetaObject::invokeMethod(&tray, "onActivated", Qt::DirectConnection,
                                      Q_ARG(QSystemTrayIcon::ActivationReason, reason));
        }
    };

private slots:
    void initTestCase() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path()); }

    void menuHasItsEntriesInOrder()
    {
        Tray t;
        QStringList seen;
        for (QAction* action : t.actions())
            seen << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(seen, (QStringList{"Pause for 2 hours", "-", "Test Micro Break", "Test Long Break", "-", "Settings...",
                                    "-", "Quit"}));
        QCOMPARE(t.tray.trayIcon().contextMenu(), t.tray.menu());
    }

    void iconFollowsTheSchedulerState()
    {
        Tray t;
        QCOMPARE(t.tray.iconPath(), QStringLiteral(":/icons/paused.svg"));
        QCOMPARE(t.tooltip(), QStringLiteral("RespiteKeeper - Paused"));
        t.scheduler.start();
        QCOMPARE(t.tray.iconPath(), QStringLiteral(":/icons/idle.svg"));
        t.tick(1200);
        QCOMPARE(t.tray.iconPath(), QStringLiteral(":/icons/warning.svg"));
        const QImage shown = t.tray.trayIcon().icon().pixmap(32, 32).toImage();
        QCOMPARE(shown, QIcon(":/icons/warning.svg").pixmap(32, 32).toImage());
        t.tick(10);
        QCOMPARE(t.tray.iconPath(), QStringLiteral(":/icons/break.svg"));
        t.scheduler.postponeBreak();
        QCOMPARE(t.tray.iconPath(), QStringLiteral(":/icons/idle.svg"));
    }

    // The tooltip is recomputed by the tray's one-second refresh; the tests ask for
    // it at once through the public refresh.
    void tooltipShowsTheNextBreaks()
    {
        Tray t;
        t.scheduler.start();
        t.tray.onBreakStateChanged();
        QCOMPARE(t.tooltip(),
                 QStringLiteral("RespiteKeeper\nNext micro break in 20 m 10 s\nNext long break in 61 m 10 s"));
        t.tick(5);
        t.tray.onBreakStateChanged();
        QCOMPARE(t.tooltip(),
                 QStringLiteral("RespiteKeeper\nNext micro break in 20 m 5 s\nNext long break in 61 m 5 s"));
    }

    void everyBreakLongShowsNoMicroBreak()
    {
        QSettings stored(m_dir.path() + "/RespiteKeeper/RespiteKeeper.conf", QSettings::IniFormat);
        stored.setValue("version", 2);
        stored.setValue("microBreakInterval", 1200);
        stored.setValue("longBreakInterval", 1200);
        stored.sync();
        Tray t;
        t.settings.load();
        t.scheduler.start();
        t.tray.onBreakStateChanged();
        QCOMPARE(t.tooltip(), QStringLiteral("RespiteKeeper\nNext micro break in N/A\nNext long break in 20 m 10 s"));
        stored.clear();
    }

    void pauseAndResumeFromTheMenu()
    {
        Tray t;
        t.scheduler.start();
        QAction* pause = t.actions().at(0);
        QCOMPARE(pause->text(), QStringLiteral("Pause for 2 hours"));
        pause->trigger();
        QVERIFY(!t.scheduler.isRunning());
        QCOMPARE(t.tray.iconPath(), QStringLiteral(":/icons/paused.svg"));
        QCOMPARE(t.tooltip(), QStringLiteral("RespiteKeeper - Paused"));
        QCOMPARE(pause->text(), QStringLiteral("Resume"));
        QVERIFY(!t.actions().at(2)->isEnabled());
        QVERIFY(!t.actions().at(3)->isEnabled());
        pause->trigger();
        QVERIFY(t.scheduler.isRunning());
        QCOMPARE(pause->text(), QStringLiteral("Pause for 2 hours"));
        QVERIFY(t.actions().at(2)->isEnabled());
        QCOMPARE(t.tray.iconPath(), QStringLiteral(":/icons/idle.svg"));
        QVERIFY(t.tooltip().startsWith("RespiteKeeper\nNext micro break in"));
    }

    void testEntriesStartBreaks()
    {
        Tray t;
        t.scheduler.start();
        t.actions().at(3)->trigger();
        QCOMPARE(t.scheduler.state(), BreakScheduler::Warning);
        QCOMPARE(t.scheduler.currentBreakType(), Long);
        t.actions().at(2)->trigger();
        QCOMPARE(t.scheduler.currentBreakType(), Micro);
    }

    void doubleClickAloneOpensTheSettings()
    {
        Tray t;
        for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Context,
                            QSystemTrayIcon::Unknown}) {
            t.activate(reason);
            QVERIFY(!t.dialog.isVisible());
        }
        t.activate(QSystemTrayIcon::DoubleClick);
        QVERIFY(t.dialog.isVisible());
        t.dialog.hide();
        t.actions().at(5)->trigger();
        QVERIFY(t.dialog.isVisible());
    }
};

QTEST_MAIN(TestSystemTrayIcon)
#include "tst_systemtrayicon.moc"
