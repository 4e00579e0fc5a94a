#include "TestHelpers.h"

// The program's objects as start-up builds and connects them.
class TestProgram : public QObject
{
    Q_OBJECT

private slots:
    // The popup, then the break screen with the input held and the popup gone;
    // Postpone on either screen reaches the scheduler.
    void aBreakRunsFromPopupToOverlayAndBack()
    {
        RunningProgram p;
        const auto screens = [&p](int ticks) {
            p.tick(ticks);
            return QStringList{
                p.program.breakWarning->isVisible() ? "popup" : "-",
                p.program.breakOverlay->isVisible() ? "overlay" : "-", p.hold.held ? "held" : "-",
                QMetaEnum::fromType<BreakScheduler::SchedulerState>().valueToKey(p.program.breakScheduler->state())}
                .join(' ');
        };
        QCOMPARE(QStringList({screens(1199), screens(1)}).join(", "),
                 QStringLiteral("- - - Working, popup - - Warning"));
        QCOMPARE(screens(10), QStringLiteral("- overlay held OnBreak"));
        QCOMPARE(QStringList({screens(20), screens(1203)}).join(", "),
                 QStringLiteral("- - - Working, popup - - Warning"));
        child<QPushButton>(p.program.breakWarning.get(), "postponeButton")->click();
        QCOMPARE(QStringList({screens(0), screens(311)}).join(", "),
                 QStringLiteral("- - - Postponed, - overlay held OnBreak"));
        child<QPushButton>(p.program.breakOverlay.get(), "postponeButton")->click();
        QCOMPARE(screens(0), QStringLiteral("- - - Postponed"));
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
        // English from the start: the language switch runs before the windows are made.
        QVERIFY(texts().startsWith("Tolamo Settings| minutes|Long Break Starting|Remaining: 20 s|Tolamo\nNext micro"));
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
