#include "TestHelpers.h"
#include "app/Wiring.h"
#include "i18n/CustomTranslator.h"
#include "i18n/LanguageSwitch.h"
#include "platform/LastInputSource.h"
#include "scheduling/BreakScheduler.h"
#include "scheduling/break_utils.h"
#include "settings/SettingsManager.h"
#include "ui/BreakOverlay.h"
#include "ui/SettingsDialog.h"
#include "ui/SystemTrayIcon.h"
#include "ui/WarningDialog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Counts the language-change events a window receives.
class LanguageChangeCounter : public QObject
{
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::LanguageChange)
            ++count;
        return false;
    }
};

QString translated(const char* text)
{
    return QCoreApplication::translate("any", text);
}

} // namespace

// Runs with the C locale, whose language has no translation file.
class TestLanguageSwitch : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    CustomTranslator* m_translator = nullptr;

private slots:
    void initTestCase() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path()); }

    void cleanup()
    {
        delete m_translator;
        m_translator = nullptr;
    }

    void translatorAnswersFromOneFlatKeySpace()
    {
        CustomTranslator english("en");
        QVERIFY(!english.isEmpty());
        QCOMPARE(english.translate("SystemTrayIcon", "RespiteKeeper"), QStringLiteral("Tolamo"));
        QCOMPARE(english.translate("SettingsDialog", "RespiteKeeper"), QStringLiteral("Tolamo"));
        QCOMPARE(english.translate("SettingsDialog", "RespiteKeeper Settings"), QStringLiteral("Tolamo Settings"));
        QCOMPARE(english.translate("x", "RespiteKeeper - Paused"), QStringLiteral("RespiteKeeper - Paused"));
        QCOMPARE(english.translate("x", "Version 1.0.0"), QStringLiteral("Version 1.0.0"));
        CustomTranslator chinese("zh");
        QCOMPARE(chinese.translate("SystemTrayIcon", "RespiteKeeper"), QStringLiteral("憩安"));
        QCOMPARE(chinese.translate("WarningDialog", "Postpone"), chinese.translate("BreakOverlay", "Postpone"));
        QCOMPARE(chinese.translate("x", " minutes"), QStringLiteral(" minutes"));
        CustomTranslator none("fr");
        QVERIFY(none.isEmpty());
        QCOMPARE(none.translate("x", "Quit"), QStringLiteral("Quit"));
    }

    void durationsKeepTheirEnglishFormInChinese()
    {
        SettingsManager settings;
        settings.setLanguage("zh");
        applyLanguage(m_translator, &settings);
        QCOMPARE(formatDuration(330), QStringLiteral("5 m 30 s"));
        QCOMPARE(formatDuration(60), QStringLiteral("1 m"));
        QCOMPARE(formatDuration(5), QStringLiteral("5 s"));
        QCOMPARE(formatDuration(-1), QStringLiteral("无"));
    }

    void systemLanguageWithoutAFileLeavesNoTranslator()
    {
        QCOMPARE(QLocale::system().name().section('_', 0, 0), QStringLiteral("C"));
        SettingsManager settings;
        applyLanguage(m_translator, &settings);
        QCOMPARE(m_translator, nullptr);
        QCOMPARE(translated("RespiteKeeper"), QStringLiteral("RespiteKeeper"));
        settings.setLanguage("en");
        applyLanguage(m_translator, &settings);
        QVERIFY(m_translator);
        QCOMPARE(translated("RespiteKeeper"), QStringLiteral("Tolamo"));
        settings.setLanguage("");
        applyLanguage(m_translator, &settings);
        QCOMPARE(m_translator, nullptr);
        QCOMPARE(translated("RespiteKeeper"), QStringLiteral("RespiteKeeper"));
    }

    void unchangedLanguageSendsNoEvent()
    {
        QWidget window;
        LanguageChangeCounter counter;
        window.installEventFilter(&counter);
        SettingsManager settings;
        settings.setLanguage("en");
        applyLanguage(m_translator, &settings);
        QCoreApplication::sendPostedEvents();
        const int afterInstall = counter.count;
        QVERIFY(afterInstall >= 1);
        applyLanguage(m_translator, &settings);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(counter.count, afterInstall);

        // Without a file for the language, every run sends the event again.
        settings.setLanguage("fr");
        applyLanguage(m_translator, &settings);
        QCoreApplication::sendPostedEvents();
        const int afterFrench = counter.count;
        QVERIFY(afterFrench > afterInstall);
        applyLanguage(m_translator, &settings);
        QCOMPARE(counter.count, afterFrench + 1);
    }

    void catalogueReadsNumberedKeysUpToTwenty()
    {
        SettingsManager settings;
        settings.setLanguage("xx");
        QCOMPARE(settings.microBreakMessages(), (QStringList{"one", "two", "five"}));
        QCOMPARE(settings.longBreakMessages(), QStringList{QString()});
        settings.resetToDefaults(); // back to the system language: English
        QCOMPARE(settings.microBreakMessages().size(), 7);
        QCOMPARE(settings.microBreakMessages().first(), QStringLiteral("Look at something far away for 20 seconds"));
    }

    // The whole program's windows follow a language chosen in the dialog.
    void switchingLanguageReTextsEveryWindow()
    {
        SettingsManager settings;
        settings.setLanguage("en");
        applyLanguage(m_translator, &settings);
        BreakScheduler scheduler(&settings);
        qint64 now = 0;
        scheduler.setClock([&now] { return now; });
        scheduler.setLastInputSource(std::make_unique<ActiveUser>());
        WarningDialog popup(&settings);
        BreakOverlay overlay(&settings);
        FakeInputHold::Log hold;
        overlay.setInputHoldBackend(std::make_unique<FakeInputHold>(&hold));
        SettingsDialog dialog(&settings);
        connectLanguageSwitch(settings, m_translator);
        QObject::connect(&settings, &SettingsManager::settingsChanged, &scheduler, &BreakScheduler::onSettingsChanged);
        SystemTrayIcon tray(&scheduler, &settings, &dialog);
        QObject::connect(&settings, &SettingsManager::settingsChanged, &tray, &SystemTrayIcon::onBreakStateChanged);
        scheduler.start();

        popup.showWarning(Long, 10);
        overlay.showBreak(Micro, settings.microBreakMessages().first(), 20);
        dialog.show();
        auto* combo = dialog.findChild<QComboBox*>("m_languageCombo");
        auto* micro = dialog.findChild<QSpinBox*>("m_microBreakIntervalSpin");
        auto* apply = dialog.findChild<QPushButton*>("m_applyButton");
        auto* overlayMessage = overlay.findChild<QLabel*>("messageLabel");
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Tolamo Settings"));
        QCOMPARE(dialog.findChild<QLabel*>("m_appNameLabel")->text(), QStringLiteral("Tolamo"));

        micro->setValue(25);
        combo->setCurrentIndex(2);
        apply->click();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("憩安设置"));
        QCOMPARE(micro->suffix(), QStringLiteral(" 分钟"));
        QCOMPARE(micro->value(), 25);
        QCOMPARE(combo->currentIndex(), 2);
        QCOMPARE(combo->itemText(2), QStringLiteral("中文"));
        QCOMPARE(dialog.findChild<QPushButton*>("m_colorPickButton")->text(), QStringLiteral("#0078d4"));
        QCOMPARE(popup.findChild<QLabel*>("titleLabel")->text(), QStringLiteral("大休即将开始"));
        QCOMPARE(overlay.findChild<QLabel*>("countdownLabel")->text(), QStringLiteral("还剩：20 s"));
        QVERIFY(settings.microBreakMessages().contains(overlayMessage->text()));
        QVERIFY(overlayMessage->text().contains(QRegularExpression("[\\x{4e00}-\\x{9fff}]")));
        QVERIFY(tray.trayIcon().toolTip().startsWith(QStringLiteral("憩安\n距离下次小休还有 25 m 10 s\n")));
        QCOMPARE(tray.menu()->actions().at(0)->text(), QStringLiteral("暂停2小时"));
        QCOMPARE(tray.menu()->actions().last()->text(), QStringLiteral("退出"));

        combo->setCurrentIndex(1);
        apply->click();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Tolamo Settings"));
        QCOMPARE(micro->suffix(), QStringLiteral(" minutes"));
        QCOMPARE(popup.findChild<QLabel*>("titleLabel")->text(), QStringLiteral("Long Break Starting"));
        QVERIFY(!overlayMessage->text().contains(QRegularExpression("[\\x{4e00}-\\x{9fff}]")));
        QVERIFY(tray.trayIcon().toolTip().startsWith(QStringLiteral("Tolamo\nNext micro break in")));
        QCOMPARE(tray.menu()->actions().last()->text(), QStringLiteral("Quit"));
        scheduler.pause(2);
        QCOMPARE(tray.trayIcon().toolTip(), QStringLiteral("RespiteKeeper - Paused"));
    }
};

QTEST_MAIN(TestLanguageSwitch)
#include "tst_languageswitch.moc"
