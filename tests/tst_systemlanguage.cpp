#include "TestHelpers.h"
#include "i18n/CustomTranslator.h"
#include "i18n/LanguageSwitch.h"

// Runs once per system locale (LC_ALL); RK_EXPECTED_LANGUAGE names the language
// whose texts should show, or "none" for the source texts and English messages.
class TestSystemLanguage : public QObject
{
    Q_OBJECT

private slots:
    void systemLanguageSelectsTheFiles()
    {
        const QString expected = qEnvironmentVariable("RK_EXPECTED_LANGUAGE");
        SettingsManager settings; // language "system"
        CustomTranslator* translator = nullptr;
        applyLanguage(translator, &settings);
        const bool chinese = expected == "zh";
        QCOMPARE(translator ? translator->language() : "none", expected);
        QCOMPARE(QCoreApplication::translate("SystemTrayIcon", "RespiteKeeper"), chinese            ? "憩安"
                                                                                 : expected == "en" ? "Tolamo"
                                                                                                    : "RespiteKeeper");
        QCOMPARE(settings.microBreakMessages().value(0),
                 chinese ? "远眺20秒放松眼睛" : "Look at something far away for 20 seconds");
        delete translator;
    }
};

QTEST_MAIN(TestSystemLanguage)
#include "tst_systemlanguage.moc"
