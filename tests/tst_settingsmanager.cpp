#include "TestHelpers.h"

#include <QDir>

namespace {
// Every key is stored with its default, and the getters give the same.
void verifyDefaults(const StoredSettings& stored, const SettingsManager& s)
{
    QSettings file(stored.path(), QSettings::IniFormat);
    QStringList keys = file.allKeys();
    for (QString& key : keys)
        key += "=" + file.value(key).toString();
    QCOMPARE(keys.join(' '), "autoStartAtBoot=true backgroundColor=#0078d4 idlePauseEnabled=true language=system "
                             "longBreakDuration=300 longBreakInterval=3600 microBreakDuration=20 "
                             "microBreakInterval=1200 postponeEnabled=true showOnAllMonitors=true "
                             "shutdownEnabled=false shutdownHour=22 shutdownMinute=0 version=2");
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

    // Minutes of version 1 become seconds, once; values past the minute ranges stay.
    void migratesVersionOneMinutes()
    {
        const QList<std::pair<QVariantMap, QList<int>>> cases{
            // micro and long interval, micro and long duration
            {{{"microBreakInterval", 119}, {"longBreakInterval", 479}, {"longBreakDuration", 59}},
             {7140, 28740, 20, 3540}},
            {{{"microBreakInterval", 120}, {"longBreakInterval", 480}, {"longBreakDuration", 60}}, {120, 480, 20, 60}},
            {{{"version", 1}, {"microBreakInterval", 30}}, {1800, 3600, 20, 300}},
            {{{"version", 2}, {"microBreakInterval", 30}, {"longBreakInterval", 90}}, {30, 90, 20, 300}}};
        for (const auto& [values, loaded] : cases) {
            StoredSettings stored;
            stored.store(values, false);
            for (int run = 0; run < 2; ++run) {
                SettingsManager settings;
                settings.load();
                QCOMPARE(times(settings), loaded);
            }
            QCOMPARE(stored.value("version").toInt(), 2);
        }
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

    // Colours in any form Qt reads; values that would stop the break cycle or start
    // a shutdown at once never reach the rest of the program.
    void storedValuesAreCheckedOnLoad()
    {
        for (auto [stored, loaded, savedBack] : {std::tuple{"#FF8000", QColor(255, 128, 0), "#ff8000"},
                                                 {"#80ff8000", QColor(255, 128, 0, 0x80), "#ff8000"},
                                                 {"red", QColor(255, 0, 0), "#ff0000"},
                                                 {"not a colour", QColor(0, 120, 212), "#0078d4"}}) {
            LoadedSettings s({{"backgroundColor", stored}});
            QVERIFY(s.settings.backgroundColor() == loaded && s.stored.value("backgroundColor") == savedBack);
        }
        for (const QByteArray& content :
             {QByteArray("[General]\nversion=2\nmicroBreakInterval=0\nlongBreakInterval=-60\nmicroBreakDuration=-1\n"
                         "longBreakDuration=0\nshutdownHour=24\nshutdownMinute=75\n"),
              QByteArray("[General]\nversion=2\nmicroBreakInterval=soon\nlongBreakInterval=later\nshutdownHour=-3\n"),
              QByteArray("}}}[[[\n==\x01\x02\xff\xfe\n[General\nmicroBreakInterval"), QByteArray(4096, '\0'),
              QByteArray() /* a folder where the file should be */}) {
            StoredSettings stored;
            QDir().mkpath(content.isEmpty() ? stored.path() : QFileInfo(stored.path()).path());
            QFile file(stored.path());
            QVERIFY(content.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(content) == content.size()));
            file.close();
            SettingsManager settings;
            settings.load();
            QCOMPARE(times(settings), (QList<int>{1200, 3600, 20, 300}));
            QVERIFY(settings.shutdownHour() >= 0 && settings.shutdownHour() <= 23);
            QVERIFY(settings.shutdownMinute() >= 0 && settings.shutdownMinute() <= 59);
            settings.save(); // even where nothing can be written
        }
    }
};

QTEST_GUILESS_MAIN(TestSettingsManager)
#include "tst_settingsmanager.moc"
