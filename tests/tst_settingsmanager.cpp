#include "TestHelpers.h"
#include "settings/SettingsManager.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {
void verifyDefaults(const SettingsManager& s)
{
    QCOMPARE(s.microBreakInterval(), 1200);
    QCOMPARE(s.microBreakDuration(), 20);
    QCOMPARE(s.longBreakInterval(), 3600);
    QCOMPARE(s.longBreakDuration(), 300);
    QCOMPARE(s.backgroundColor(), QColor(0, 120, 212));
    QCOMPARE(s.shutdownHour(), 22);
    QCOMPARE(s.language(), QStringLiteral("system"));
}
} // namespace

class TestSettingsManager : public QObject
{
    Q_OBJECT

    std::unique_ptr<StoredSettings> m_stored;

private slots:
    void init() { m_stored = std::make_unique<StoredSettings>(); }

    void firstStartStoresEveryKeyWithItsDefault()
    {
        SettingsManager settings;
        settings.load();
        verifyDefaults(settings);
        const QVariantMap expected{{"version", 2},
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
        QCOMPARE(QSettings(m_stored->path(), QSettings::IniFormat).allKeys().size(), expected.size());
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QCOMPARE(m_stored->value(it.key()).toString(), it.value().toString());
    }

    void migratesVersionOneMinutes_data()
    {
        QTest::addColumn<QVariantMap>("storedValues");
        QTest::addColumn<QList<int>>("loaded"); // micro interval, long interval, long duration
        QTest::newRow("minutes become seconds")
            << QVariantMap{{"microBreakInterval", 119}, {"longBreakInterval", 479}, {"longBreakDuration", 59}}
            << QList<int>{7140, 28740, 3540};
        QTest::newRow("values past the minute ranges stay seconds")
            << QVariantMap{{"microBreakInterval", 120}, {"longBreakInterval", 480}, {"longBreakDuration", 60}}
            << QList<int>{120, 480, 60};
        QTest::newRow("explicit version 1 is migrated too")
            << QVariantMap{{"version", 1}, {"microBreakInterval", 30}} << QList<int>{1800, 3600, 300};
        QTest::newRow("version 2 is read as it is")
            << QVariantMap{{"version", 2}, {"microBreakInterval", 30}, {"longBreakInterval", 90}}
            << QList<int>{30, 90, 300};
    }

    void migratesVersionOneMinutes()
    {
        QFETCH(QVariantMap, storedValues);
        QFETCH(QList<int>, loaded);
        m_stored->store(storedValues, false);
        for (int run = 0; run < 2; ++run) { // the second run must not migrate again
            SettingsManager settings;
            settings.load();
            QCOMPARE(
                (QList<int>{settings.microBreakInterval(), settings.longBreakInterval(), settings.longBreakDuration()}),
                loaded);
        }
        QCOMPARE(m_stored->value("version").toInt(), 2);
    }

    void settersApplyTheirRules()
    {
        SettingsManager s;
        QSignalSpy changed(&s, &SettingsManager::settingsChanged);
        s.setLongBreakInterval(5000); // down to a multiple of the micro interval
        QCOMPARE(s.longBreakInterval(), 4800);
        s.setLongBreakInterval(100); // at least one micro interval
        QCOMPARE(s.longBreakInterval(), 1200);
        s.setLongBreakInterval(4800);
        s.setMicroBreakInterval(1800); // the long interval follows
        QCOMPARE(s.longBreakInterval(), 3600);
        s.setMicroBreakInterval(7200);
        QCOMPARE(s.longBreakInterval(), 7200);
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
        m_stored->store({{"backgroundColor", storedColour}});
        SettingsManager settings;
        settings.load();
        QTEST(settings.backgroundColor(), "loaded");
        QTEST(m_stored->value("backgroundColor").toString(), "savedBack");
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
        QDir().mkpath(content.isEmpty() ? m_stored->path() : QFileInfo(m_stored->path()).path());
        if (!content.isEmpty()) {
            QFile file(m_stored->path());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        SettingsManager settings;
        settings.load();
        QCOMPARE(settings.microBreakInterval(), 1200);
        QCOMPARE(settings.longBreakInterval(), 3600);
        QCOMPARE(settings.microBreakDuration(), 20);
        QCOMPARE(settings.longBreakDuration(), 300);
        QVERIFY(settings.shutdownHour() >= 0 && settings.shutdownHour() <= 23);
        QVERIFY(settings.shutdownMinute() >= 0 && settings.shutdownMinute() <= 59);
        settings.save(); // even where nothing can be written
    }

    void resetWritesDefaultsAndAnnouncesOnce()
    {
        m_stored->store({{"microBreakInterval", 600}, {"backgroundColor", "#ff0000"}});
        SettingsManager settings;
        settings.load();
        QSignalSpy changed(&settings, &SettingsManager::settingsChanged);
        settings.resetToDefaults();
        QCOMPARE(changed.count(), 1);
        verifyDefaults(settings);
        QCOMPARE(m_stored->value("microBreakInterval").toInt(), 1200);
        QCOMPARE(m_stored->value("backgroundColor").toString(), QStringLiteral("#0078d4"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsManager)
#include "tst_settingsmanager.moc"
