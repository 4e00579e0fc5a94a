#include "TestHelpers.h"
#include "i18n/CustomTranslator.h"
#include "i18n/LanguageSwitch.h"
#include "scheduling/break_utils.h"

// Runs with the C locale, whose language has no translation file, unless told.
class TestLanguageSwitch : public QObject
{
    Q_OBJECT

    CustomTranslator* m_translator = nullptr;
    void apply(SettingsManager& settings, const QString& language)
    {
        settings.setLanguage(language);
        applyLanguage(m_translator, settings.language());
        QCoreApplication::sendPostedEvents();
    }

private slots:
    void cleanup() { delete std::exchange(m_translator, nullptr); }

    // One flat key space, whatever the context. Without a file no translator is
    // installed; the same language reloads nothing.
    void translatorFollowsTheLanguageSetting()
    {
        CustomTranslator english("en");
        QCOMPARE(english.translate("SettingsDialog", "RespiteKeeper Settings"), QStringLiteral("Tolamo Settings"));
        QCOMPARE(english.translate("x", "Version 1.0.0"), QStringLiteral("Version 1.0.0")); // no entry
        QVERIFY(CustomTranslator("fr").isEmpty());
        StoredSettings stored;
        SettingsManager settings;
        for (const char* language : {"", "en", "system", "fr"}) {
            apply(settings, language);
            const bool english = QByteArray(language) == "en";
            QCOMPARE(m_translator != nullptr, english);
            QCOMPARE(QCoreApplication::translate("x", "RespiteKeeper"), english ? "Tolamo" : "RespiteKeeper");
        }
        QCOMPARE((QStringList{formatDuration(59), formatDuration(60), formatDuration(125), formatDuration(3600)}),
                 (QStringList{"59 s", "1 m", "2 m 5 s", "60 m"})); // an hour has no unit of its own
        apply(settings, "zh");
        const QPointer<CustomTranslator> installed = m_translator; // null once deleted
        apply(settings, "zh");
        QVERIFY(installed && m_translator == installed);
        QCOMPARE((QStringList{formatDuration(59), formatDuration(60), formatDuration(330)}),
                 (QStringList{"59 秒", "1 分", "5 分 30 秒"}));
        QCOMPARE(formatDuration(-1), QStringLiteral("无"));
        const auto keys = [](const char* file) {
            return QSettings(":/translations/" + QString(file), QSettings::IniFormat).allKeys();
        };
        QVERIFY(keys("translations_en.ini").size() > 50 && keys("messages_en.ini").size() == 14);
        QCOMPARE(keys("translations_zh.ini"), keys("translations_en.ini")); // both languages have every text
        QCOMPARE(keys("messages_zh.ini"), keys("messages_en.ini"));
    }

    // Also run by itself once per system locale (LC_ALL): RK_EXPECTED_LANGUAGE names
    // the language whose texts should show ("none": the source texts, English messages).
    void systemLanguageSelectsTheFiles()
    {
        const QString expected = qEnvironmentVariable("RK_EXPECTED_LANGUAGE", "none");
        applyLanguage(m_translator, "system");
        QCOMPARE(m_translator ? m_translator->language() : "none", expected);
        const QHash<QString, QString> name{{"zh", "憩安"}, {"en", "Tolamo"}, {"none", "RespiteKeeper"}};
        QCOMPARE(QCoreApplication::translate("x", "RespiteKeeper"), name.value(expected));
        QCOMPARE(BreakMessages::forLanguage(SettingsManager::effectiveLanguage("system")).micro.value(0),
                 expected == "zh" ? "远眺20秒放松眼睛" : "Look at something far away for 20 seconds");
    }
};

QTEST_MAIN(TestLanguageSwitch)
#include "tst_languageswitch.moc"
