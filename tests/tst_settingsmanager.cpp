#include "TestHelpers.h"

#include <QDir>

namespace {
const QVariantMap Defaults{{"version", 2},
                           {"microBreakInterval", 1200},
                           {"microBreakDuration", 20},
                           {"longBreakInterval", 3600},
                           {"longBreakDuration", 300},
                           {"postponeEnabled", true},
                           {"showOnAllMonitors", true},
                           {"autoStartAtBoot", true},
                           {"idlePauseEnabled", true},
                           {"language", "system"},
                           {"backgroundColor", "#0078d4"},
                           {"shutdownEnabled", false},
                           {"shutdownHour", 22},
                           {"shutdownMinute", 0}};

// Every key is stored with its default, and the getters give the same.
void verifyDefaults(const StoredSettings& stored, const SettingsManager& s)
{
    QCOMPARE(QSettings(stored.path(), QSettings::IniFormat).allKeys().size(), Defaults.size());
    for (auto it = Defaults.cbegin(); it != Defaults.cend(); ++it)
        QCOMPARE(stored.value(it.key()).toString(), it.value().toString());
    QCOMPARE((QList<int>{s.microBreakInterval(), s.microBreakDuration(), s.longBreakInterval(), s.longBreakDuration(),
                         s.shutdownHour()}),
             (QList<int>{1200, 20, 3600, 300, 22}));
    QVERIFY(s.backgroundColor() == QColor(0, 120, 212) && s.language() == "system");
}
QList<int> times(const SettingsManager& s)
{
    return {s.microBreakInterval(), s.longBreakInterval(), s.microBreakDuration(), s.longBreakDuration()};
}
} // namespace

class TestSettingsManager : public QObject
{
    Q_OBJECT

private slots:
    void firstStartStoresEveryKeyAndResetGoesBack()
    {
        LoadedSettings first;
        verifyDefaults(first.stored, first.settings);
        LoadedSettings changed({{"microBreakInterval", 600}, {"backgroundColor", "#ff0000"}, {"language", "zh"}});
        QSignalSpy announced(&changed.settings, &SettingsManager::settingsChanged);
        changed.settings.resetToDefaults();
        QCOMPARE(announced.count(), 1);
        verifyDefaults(changed.stored, changed.settings);
    }

    void migratesVersionOneMinutes_data()
    {
        QTest::addColumn<QVariantMap>("storedValues");
        QTest::addColumn<QList<int>>("loaded"); // micro interval, long interval, micro and long duration
        QTest::newRow("minutes become seconds")
            << QVariantMap{{"microBreakInterval", 119}, {"longBreakInterval", 479}, {"longBreakDuration", 59}}
            << QList<int>{7140, 28740, 20, 3540};
        QTest::newRow("values past the minute ranges stay seconds")
            << QVariantMap{{"microBreakInterval", 120}, {"longBreakInterval", 480}, {"longBreakDuration", 60}}
            << QList<int>{120, 480, 20, 60};
        QTest::newRow("explicit version 1 is migrated too")
            << QVariantMap{{"version", 1}, {"microBreakInterval", 30}} << QList<int>{1800, 3600, 20, 300};
        QTest::newRow("version 2 is read as it is")
            << QVariantMap{{"version", 2}, {"microBreakInterval", 30}, {"longBreakInterval", 90}}
            << QList<int>{30, 90, 20, 300};
    }

    void migratesVersionOneMinutes()
    {
        QFETCH(QVariantMap, storedValues);
        StoredSettings stored;
        stored.store(storedValues, false);
        for (int run = 0; run < 2; ++run) { // the second run must not migrate again
            SettingsManager settings;
            settings.load();
            QTEST(times(settings), "loaded");
        }
        QCOMPARE(stored.value("version").toInt(), 2);
    }

    void settersApplyTheirRules()
    {
        SettingsManager s;
        QSignalSpy changed(&s, &SettingsManager::settingsChanged);
        const auto longAfter = [&s](auto setter, int value) {
            (s.*setter)(value);
            return s.longBreakInterval();
        };
        // Down to a multiple of the micro interval, at least one; it follows the micro interval.
        QCOMPARE((QList<int>{longAfter(&SettingsManager::setLongBreakInterval, 5000),
                             longAfter(&SettingsManager::setLongBreakInterval, 100),
                             longAfter(&SettingsManager::setLongBreakInterval, 4800),
                             longAfter(&SettingsManager::setMicroBreakInterval, 1800),
                             longAfter(&SettingsManager::setMicroBreakInterval, 7200)}),
                 (QList<int>{4800, 1200, 4800, 3600, 7200}));
        s.setMicroBreakInterval(30);
        s.setMicroBreakDuration(4);
        s.setLongBreakDuration(10);
        s.setShutdownHour(24);
        s.setShutdownMinute(-5);
        QCOMPARE((QList<int>{s.microBreakInterval(), s.microBreakDuration(), s.longBreakDuration(), s.shutdownHour(),
                             s.shutdownMinute()}),
                 (QList<int>{60, 5, 60, 23, 0}));
        s.setShutdownMinute(60);
        QCOMPARE(s.shutdownMinute(), 59);
        QCOMPARE(changed.count(), 0); // only Apply and reset announce
    }

    void colourForms_data()
    {
        QTest::addColumn<QString>("storedColour");
        QTest::addColumn<QColor>("loaded");
        QTest::addColumn<QString>("savedBack");
        QTest::newRow("upper-case hex") << "#FF8000" << QColor(255, 128, 0) << "#ff8000";
        QTest::newRow("alpha is read but not kept") << "#80ff8000" << QColor(255, 128, 0, 0x80) << "#ff8000";
        QTest::newRow("named colour") << "red" << QColor(255, 0, 0) << "#ff0000";
        QTest::newRow("garbage gives the default") << "not a colour" << QColor(0, 120, 212) << "#0078d4";
    }

    void colourForms()
    {
        QFETCH(QString, storedColour);
        LoadedSettings loaded({{"backgroundColor", storedColour}});
        QTEST(loaded.settings.backgroundColor(), "loaded");
        QTEST(loaded.stored.value("backgroundColor").toString(), "savedBack");
    }

    // Values that would stop the break cycle or start a shutdown at once never
    // reach the rest of the program.
    void brokenStorageGivesSafeValues_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("zero and negative times")
            << QByteArray("[General]\nversion=2\nmicroBreakInterval=0\nlongBreakInterval=-60\nmicroBreakDuration=-1\n"
                          "longBreakDuration=0\nshutdownHour=24\nshutdownMinute=75\n");
        QTest::newRow("text that reads as zero")
            << QByteArray("[General]\nversion=2\nmicroBreakInterval=soon\nlongBreakInterval=later\nshutdownHour=-3\n");
        QTest::newRow("garbage") << QByteArray("}}}[[[\n==\x01\x02\xff\xfe\n[General\nmicroBreakInterval");
        QTest::newRow("NUL bytes") << QByteArray(4096, '\0');
        QTest::newRow("a folder where the file should be") << QByteArray();
    }

    void brokenStorageGivesSafeValues()
    {
        QFETCH(QByteArray, content);
        StoredSettings stored;
        QDir().mkpath(content.isEmpty() ? stored.path() : QFileInfo(stored.path()).path());
        QFile file(stored.path());
        if (!content.isEmpty())
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        SettingsManager settings;
        settings.load();
        QCOMPARE(times(settings), (QList<int>{1200, 3600, 20, 300}));
        QVERIFY(settings.shutdownHour() >= 0 && settings.shutdownHour() <= 23);
        QVERIFY(settings.shutdownMinute() >= 0 && settings.shutdownMinute() <= 59);
        settings.save(); // even where nothing can be written
    }
};

QTEST_GUILESS_MAIN(TestSettingsManager)
#include "tst_settingsmanager.moc"
