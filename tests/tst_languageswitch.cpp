#include "TestHelpers.h"
#include "i18n/CustomTranslator.h"
#include "i18n/LanguageSwitch.h"
#include "scheduling/break_utils.h"
#include "settings/SettingsManager.h"
#include "ui/SettingsDialog.h"
#include "ui/SystemTrayIcon.h"
#include "ui/WarningDialog.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace {
// Counts the language-change events a window receives.
struct LanguageChangeCounter : QObject
{
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::LanguageChange;
        return false;
    }
};
const QRegularExpression Chinese(QStringLiteral("[\\x{4e00}-\\x{9fff}]"));
} // namespace

// Runs with the C locale, whose language has no translation file.
class TestLanguageSwitch : public QObject
{
    Q_OBJECT

    CustomTranslator* m_translator = nullptr;
    void apply(SettingsManager& settings, const QString& language)
    {
        settings.setLanguage(language);
        applyLanguage(m_translator, &settings);
        QCoreApplication::sendPostedEvents();
    }

private slots:
    void cleanup()
    {
        delete m_translator;
        m_translator = nullptr;
    }

    void translatorAnswersFromOneFlatKeySpace()
    {
        CustomTranslator english("en");
        QCOMPARE(english.translate("SystemTrayIcon", "RespiteKeeper"), QStringLiteral("Tolamo"));
        QCOMPARE(english.translate("SettingsDialog", "RespiteKeeper Settings"), QStringLiteral("Tolamo Settings"));
        QCOMPARE(english.translate("x", "Version 1.0.0"), QStringLiteral("Version 1.0.0")); // no entry
        CustomTranslator chinese("zh");
        QCOMPARE(chinese.translate("WarningDialog", "Postpone"), QStringLiteral("推迟"));
        QCOMPARE(chinese.translate("x", " minutes"), QStringLiteral(" minutes"));
        QVERIFY(CustomTranslator("fr").isEmpty());
    }

    void noFileMeansNoTranslator()
    {
        StoredSettings stored;
        SettingsManager settings;
        for (const char* language : {"", "en", "system", "fr"}) {
            apply(settings, language);
            QCOMPARE(m_translator != nullptr, QByteArray(language) == "en");
            QCOMPARE(QCoreApplication::translate("x", "RespiteKeeper"),
                     QByteArray(language) == "en" ? QStringLiteral("Tolamo") : QStringLiteral("RespiteKeeper"));
        }
        apply(settings, "zh"); // durations keep their English form
        QCOMPARE(formatDuration(330), QStringLiteral("5 m 30 s"));
        QCOMPARE(formatDuration(-1), QStringLiteral("无"));
    }

    void theSameLanguageReloadsNothing()
    {
        StoredSettings stored;
        SettingsManager settings;
        QWidget window;
        LanguageChangeCounter counter;
        window.installEventFilter(&counter);
        apply(settings, "zh");
        const CustomTranslator* installed = m_translator;
        const int events = counter.count;
        QVERIFY(events >= 1);
        apply(settings, "zh");
        QCOMPARE(m_translator, installed);
        QCOMPARE(counter.count, events);
    }

    // Numbered keys 1 to 20 of the language's file, the gaps skipped; an empty
    // value is a message with no text.
    void breakMessagesAreDrawnFromTheirKindsList()
    {
        StoredSettings stored;
        SettingsManager settings;
        settings.setLanguage("xx");
        QCOMPARE(settings.microBreakMessages(), (QStringList{"one", "two", "five"}));
        BreakScheduler scheduler(&settings);
        ManualClock clock;
        clock.drive(scheduler);
        QSet<QString> micro;
        QStringList longMessages;
        connect(&scheduler, &BreakScheduler::breakStarted, this, [&](BreakType type, const QString& message) {
            if (type == Long)
                longMessages.append(message);
            else
                micro.insert(message);
        });
        scheduler.start();
        for (int i = 0; i < 30; ++i) {
            scheduler.triggerMicroBreak();
            clock.tick(scheduler, BreakScheduler::WarningSeconds);
        }
        QCOMPARE(micro.size(), 3); // all of them turn up
        scheduler.triggerLongBreak();
        clock.tick(scheduler, BreakScheduler::WarningSeconds);
        QCOMPARE(longMessages, QStringList{QString()});
        settings.resetToDefaults(); // the system language: English
        QCOMPARE(settings.microBreakMessages().size(), 7);
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
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Tolamo Settings"));
        auto* micro = dialog.findChild<QSpinBox*>("m_microBreakIntervalSpin");
        auto* combo = dialog.findChild<QComboBox*>("m_languageCombo");
        auto* apply = dialog.findChild<QPushButton*>("m_applyButton");
        auto* overlayMessage = program.breakOverlay->findChild<QLabel*>("messageLabel");
        const QSystemTrayIcon& tray = program.trayIcon->trayIcon();

        micro->setValue(25);
        combo->setCurrentIndex(2);
        apply->click();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("憩安设置"));
        QCOMPARE(micro->suffix(), QStringLiteral(" 分钟"));
        QCOMPARE(combo->currentIndex(), 2);
        QCOMPARE(program.breakWarning->findChild<QLabel*>("titleLabel")->text(), QStringLiteral("大休即将开始"));
        QCOMPARE(program.breakOverlay->findChild<QLabel*>("countdownLabel")->text(), QStringLiteral("还剩：20 s"));
        QVERIFY(overlayMessage->text().contains(Chinese));
        QVERIFY(tray.toolTip().startsWith(QStringLiteral("憩安\n距离下次小休还有 25 m 10 s\n")));
        QCOMPARE(program.trayIcon->menu()->actions().last()->text(), QStringLiteral("退出"));

        combo->setCurrentIndex(1);
        apply->click();
        QCOMPARE(program.breakWarning->findChild<QLabel*>("titleLabel")->text(), QStringLiteral("Long Break Starting"));
        QVERIFY(!overlayMessage->text().contains(Chinese));
        QVERIFY(tray.toolTip().startsWith(QStringLiteral("Tolamo\nNext micro break in")));
    }
};

QTEST_MAIN(TestLanguageSwitch)
#include "tst_languageswitch.moc"
