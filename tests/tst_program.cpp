#include "TestHelpers.h"
#include "app/Wiring.h"
#include "platform/BreakSound.h"

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
        const auto after = [&p](int ticks) {
            p.tick(ticks);
            return QStringList{
                p.program.breakWarning->isVisible() ? "popup" : "-",
                p.program.breakOverlay->isVisible() ? "overlay" : "-", p.hold.held ? "held" : "-",
                QMetaEnum::fromType<BreakScheduler::SchedulerState>().valueToKey(p.program.breakScheduler->state())}
                .join(' ');
        };
        QCOMPARE(QStringList({after(1199), after(1)}).join(", "), QStringLiteral("- - - Working, popup - - Warning"));
        QCOMPARE(after(10), QStringLiteral("- overlay held OnBreak"));
        QCOMPARE(QStringList({after(20), after(1203)}).join(", "), QStringLiteral("- - - Working, popup - - Warning"));
        child<QPushButton>(p.program.breakWarning.get(), "postponeButton")->click();
        QCOMPARE(QStringList({after(0), after(311)}).join(", "),
                 QStringLiteral("- - - Postponed, - overlay held OnBreak"));
        child<QPushButton>(p.program.breakOverlay.get(), "postponeButton")->click();
        QCOMPARE(after(0), QStringLiteral("- - - Postponed"));
    }

    // Sounds only while the setting is on: at each break's start, and at the end of
    // a break that ran its time, not of one postponed or paused.
    void breakSoundsFollowTheSettingAndHowTheBreakEnds()
    {
        struct Recorder : BreakSound
        {
            QStringList played;
            void play(Event event) override { played << (event == Event::BreakStarted ? "start" : "end"); }
            QString description() const override { return {}; }
        } sound;
        LoadedSettings s;
        BreakScheduler scheduler(s.settings.breakRhythm());
        ManualClock clock;
        clock.drive(scheduler);
        connectBreakSound(s.settings, scheduler, sound);
        scheduler.start();
        clock.tick(scheduler, 1210 + 20); // a whole break with the sounds off
        QCOMPARE(sound.played, QStringList());
        s.settings.setBreakSoundEnabled(true);
        clock.tick(scheduler, 1210);
        QCOMPARE(sound.played, QStringList{"start"});
        clock.tick(scheduler, 20);
        clock.tick(scheduler, 1210);
        scheduler.postponeBreak();
        clock.tick(scheduler, 310);
        scheduler.pause(1);
        QCOMPARE(sound.played.join(' '), QStringLiteral("start end start start"));
    }

    // Through the program's own wiring: the language switch runs before the windows
    // are made, and every window follows a switch, whether shown, hidden or not yet
    // built; the break screen keeps its count and takes a message of its kind.
    void switchingLanguageReTextsTheWholeProgram()
    {
        RunningProgram p({{"language", "en"}});
        Program& program = p.program;
        WarningDialog& popup = *program.breakWarning;
        BreakOverlay& overlay = *program.breakOverlay;
        SettingsDialog& dialog = *program.settingsDialog;
        const auto longMessages = [&program] {
            return BreakMessages::forLanguage(SettingsManager::effectiveLanguage(program.settings->language()))
                .longBreak;
        };
        popup.showWarning(Micro, 10);
        popup.hideWarning();
        overlay.showBreak(Long, longMessages().first(), 20);
        invoke(&overlay, "onCountdownTick", 2);
        program.trayIcon->onBreakStateChanged(); // what the one-second refresh would show
        const auto texts = [&] {
            const auto button = [](QWidget* window) { return child<QPushButton>(window, "postponeButton")->text(); };
            const QString title = popup.isVisible() ? text(&popup, "titleLabel") : "-";
            const QString message = text(&overlay, "messageLabel");
            const QString kind = longMessages().contains(message) ? "long" : message;
            return (QStringList() << dialog.windowTitle() << title << button(&popup) << text(&overlay, "countdownLabel")
                                  << button(&overlay) << program.trayIcon->trayIcon().toolTip().section('\n', 0, 1)
                                  << program.trayIcon->menu()->actions().last()->text() << kind)
                .join('|');
        };
        const QString english = "Tolamo Settings|-|Postpone|Remaining: 18 s|Postpone|Tolamo\nNext micro break in "
                                "20 m 10 s|Quit|long";
        QCOMPARE(texts(), english);
        program.settings->setLanguage("zh");
        program.settings->notifySettingsChanged();
        QCOMPARE(texts(),
                 QStringLiteral("憩安设置|-|推迟|还剩：18 秒|推迟|憩安\n距离下次小休还有 20 分 10 秒|退出|long"));
        popup.showWarning(Long, 10);
        dialog.show();
        auto* combo = child<QComboBox>(&dialog, "m_languageCombo");
        QCOMPARE(child<QPushButton>(&dialog, "m_applyButton")->text() +
                     child<QSpinBox>(&dialog, "m_microBreakIntervalSpin")->suffix(),
                 QStringLiteral("应用 分钟"));
        combo->setCurrentIndex(1);
        child<QPushButton>(&dialog, "m_applyButton")->click();
        QCOMPARE(texts(), QString(english).replace("|-|", "|Long Break Starting|"));
        QCOMPARE(combo->currentIndex(), 1);
    }
};

QTEST_MAIN(TestProgram)
#include "tst_program.moc"
