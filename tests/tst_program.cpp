#include "TestHelpers.h"
#include "ui/SettingsDialog.h"
#include "ui/SystemTrayIcon.h"
#include "ui/WarningDialog.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QSpinBox>

// The program's objects as start-up builds and connects them.
class TestProgram : public QObject
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

    // Through the program's own wiring: the language switch runs before the
    // schedulers and the tray, and every window follows.
    void switchingLanguageReTextsTheWholeProgram()
    {
        RunningProgram p({{"language", "en"}});
        Program& program = p.program;
        program.breakWarning->showWarning(Long, 10);
        program.breakOverlay->showBreak(Micro, program.settings->microBreakMessages().first(), 20);
        SettingsDialog& dialog = *program.settingsDialog;
        dialog.show();
        auto* combo = child<QComboBox>(&dialog, "m_languageCombo");
        const QRegularExpression chinese(QStringLiteral("[\\x{4e00}-\\x{9fff}]"));
        const auto texts = [&] {
            return QStringList{dialog.windowTitle(),
                               child<QSpinBox>(&dialog, "m_microBreakIntervalSpin")->suffix(),
                               text(program.breakWarning.get(), "titleLabel"),
                               text(program.breakOverlay.get(), "countdownLabel"),
                               program.trayIcon->trayIcon().toolTip().section('\n', 0, 1),
                               program.trayIcon->menu()->actions().last()->text(),
                               text(program.breakOverlay.get(), "messageLabel").contains(chinese) ? "zh" : "-"}
                .join('|');
        };
        child<QSpinBox>(&dialog, "m_microBreakIntervalSpin")->setValue(25);
        for (auto [index, expected] :
             {std::pair{2, "憩安设置| 分钟|大休即将开始|还剩：20 s|憩安\n距离下次小休还有 25 m 10 s|退出|zh"},
              {1, "Tolamo Settings| minutes|Long Break Starting|Remaining: 20 s|Tolamo\nNext micro break in 25 m "
                  "10 s|Quit|-"}}) {
            combo->setCurrentIndex(index);
            child<QPushButton>(&dialog, "m_applyButton")->click();
            QCOMPARE(texts(), QString::fromUtf8(expected));
            QCOMPARE(combo->currentIndex(), index);
        }
    }
};

QTEST_MAIN(TestProgram)
#include "tst_program.moc"
