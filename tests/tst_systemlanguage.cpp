#include "i18n/CustomTranslator.h"
#include "i18n/LanguageSwitch.h"
#include "settings/SettingsManager.h"

#include <QApplication>
#include <QTest>

// Runs once per system locale (LC_ALL); RK_EXPECTED_LANGUAGE names the language
// whose texts should show, or "none" for the source texts.
class TestSystemLanguage : public QObject
{
    Q_OBJECT

private slots:
    void systemLanguageSelectsTheFiles()
    {
        const QString expected = qEnvironmentVariable("RK_EXPECTED_LANGUAGE");
        QVERIFY(!expected.isEmpty());
        SettingsManager settings; // language "system"
        CustomTranslator* translator = nullptr;
        applyLanguage(translator, &settings);

        const QString name = QCoreApplication::translate("SystemTrayIcon", "RespiteKeeper");
        const QString firstMicro = settings.microBreakMessages().value(0);
        if (expected == "zh") {
            QVERIFY(translator);
            QCOMPARE(name, QStringLiteral("憩安"));
            QCOMPARE(firstMicro, QStringLiteral("远眺20秒放松眼睛"));
        } else if (expected == "en") {
            QVERIFY(translator);
            QCOMPARE(name, QStringLiteral("Tolamo"));
            QCOMPARE(firstMicro, QStringLiteral("Look at something far away for 20 seconds"));
        } else {
            QCOMPARE(translator, nullptr);
            QCOMPARE(name, QStringLiteral("RespiteKeeper"));
            // The messages fall back to English.
            QCOMPARE(firstMicro, QStringLiteral("Look at something far away for 20 seconds"));
        }
        delete translator;
    }
};

QTEST_MAIN(TestSystemLanguage)
#include "tst_systemlanguage.moc"
