#include "TestHelpers.h"

namespace {
// Every key is stored with its default, as other copies read them, and the
// getters give the same.
void verifyDefaults(const StoredSettings& stored, const SettingsManager& s)
{
    QCOMPARE(readFile(stored.path()),
             "[General]\nautoStartAtBoot=true\nbackgroundColor=#0078d4\nidlePauseEnabled=true\n"
             "language=system\nlongBreakDuration=300\nlongBreakInterval=3600\nmicroBreakDuration=20\n"
             "microBreakInterval=1200\npostponeEnabled=true\nshowOnAllMonitors=true\n"
             "shutdownEnabled=false\nshutdownHour=22\nshutdownMinute=0\nversion=2\n");
    QCOMPARE(settingsLine(s), QStringLiteral("1200 3600 20 300 22:0 PMAI- system #0078d4"));
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

    // Minutes of version 1 become seconds, once; values past the minute ranges
    // stay. Colours in any form Qt reads; alpha is read but not kept.
    void storedValuesAreReadOnLoad()
    {
        const QList<std::pair<QVariantMap, const char*>> cases{
            {{{"microBreakInterval", 119}, {"longBreakInterval", 479}, {"longBreakDuration", 59}},
             "7140 28740 20 3540"},
            {{{"microBreakInterval", 120}, {"longBreakInterval", 480}, {"longBreakDuration", 60}}, "120 480 20 60"},
            {{{"version", 1}, {"microBreakInterval", 30}}, "1800 3600 20 300"},
            {{{"version", 2}, {"microBreakInterval", 30}, {"longBreakInterval", 90}}, "30 90 20 300"},
            {{{"version", 2}, {"backgroundColor", "#FF8000"}}, "#ff8000"},
            {{{"version", 2}, {"backgroundColor", "red"}}, "#ff0000"},
            {{{"version", 2}, {"backgroundColor", "not a colour"}}, "#0078d4"}};
        for (const auto& [values, loaded] : cases) {
            StoredSettings stored;
            stored.store(values, false);
            for (int run = 0; run < 2; ++run) {
                SettingsManager settings;
                settings.load();
                const QString line = settingsLine(settings);
                QVERIFY2(loaded[0] == '#' ? line.endsWith(loaded) : line.startsWith(loaded + QLatin1Char(' ')),
                         qPrintable(line));
            }
            QVERIFY(stored.value("version") == 2 && !stored.value("backgroundColor").toString().contains("FF"));
        }
        LoadedSettings alpha({{"backgroundColor", "#80ff8000"}});
        QVERIFY(alpha.settings.backgroundColor() == QColor(255, 128, 0, 0x80) &&
                alpha.stored.value("backgroundColor") == "#ff8000");
    }

    // The long interval goes down to a multiple of the micro interval, at least
    // one, and follows the micro interval; times and the shutdown time are clamped.
    // Only Apply and reset announce.
    void settersApplyTheirRules()
    {
        SettingsManager s;
        QSignalSpy changed(&s, &SettingsManager::settingsChanged);
        QStringList seen;
        for (auto [micro, longer] : {std::pair{1200, 5000}, {1200, 100}, {1200, 4800}, {1800, 0}, {7200, 0}}) {
            s.setMicroBreakInterval(micro);
            if (longer)
                s.setLongBreakInterval(longer);
            seen << QString::number(s.longBreakInterval());
        }
        QCOMPARE(seen.join(' '), QStringLiteral("4800 1200 4800 3600 7200"));
        s.setMicroBreakInterval(30);
        s.setMicroBreakDuration(4);
        s.setLongBreakDuration(10);
        s.setShutdownHour(24);
        s.setShutdownMinute(-5);
        QVERIFY(settingsLine(s).startsWith("60 7200 5 60 23:0 "));
        s.setShutdownMinute(60);
        QVERIFY(s.shutdownMinute() == 59 && changed.isEmpty());
    }

    // Values that would stop the break cycle or start a shutdown at once never
    // reach the rest of the program, whatever the file holds.
    void brokenStorageGivesSafeValues()
    {
        for (const QByteArray& content :
             {QByteArray("[General]\nversion=2\nmicroBreakInterval=0\nlongBreakInterval=-60\nmicroBreakDuration=-1\n"
                         "longBreakDuration=0\nshutdownHour=24\nshutdownMinute=75\n"),
              QByteArray("[General]\nversion=2\nmicroBreakInterval=soon\nlongBreakInterval=later\nshutdownHour=-3\n"),
              QByteArray("}}}[[[\n==\x01\x02\xff\xfe\n[General\nmicroBreakInterval"), QByteArray(4096, '\0'),
              QByteArray() /* a folder where the file should be */}) {
            StoredSettings stored;
            QDir().mkpath(content.isEmpty() ? stored.path() : QFileInfo(stored.path()).path());
            QVERIFY(content.isEmpty() || writeFile(stored.path(), content));
            SettingsManager settings;
            settings.load();
            QVERIFY2(settingsLine(settings).startsWith("1200 3600 20 300 ") &&
                         QTime(settings.shutdownHour(), settings.shutdownMinute()).isValid(),
                     qPrintable(settingsLine(settings)));
            settings.save(); // what it writes, where it can, reads back the same
            SettingsManager again;
            again.load();
            QCOMPARE(settingsLine(again), settingsLine(settings));
        }
    }
};

QTEST_GUILESS_MAIN(TestSettingsManager)
#include "tst_settingsmanager.moc"
