#include "TestHelpers.h"

namespace {
// Every key is stored with its default, as other copies read them, and the
// getters give the same.
void verifyDefaults(const StoredSettings& stored, const SettingsManager& s)
{
    QCOMPARE(
        readFile(stored.path()),
        "[General]\nautoStartAtBoot=true\nbackgroundColor=#0078d4\nbreakSoundEnabled=false\nholdBreaksMaxMinutes=60\n"
        "holdBreaksWhenBusy=true\nidlePauseEnabled=true\n"
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

    // What storage holds is taken where it makes sense and said where it does not:
    // one line with the key, the stored text and the value used, which is then
    // written back.
    void storedTextIsCheckedAndSaid_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("used");
        QTest::addColumn<QString>("said");
        const auto row = [](const char* name, const char* key, const char* stored, const char* used,
                            const char* said = "") { QTest::newRow(name) << key << stored << used << said; };
        row("a switch is no, off or 0", "shutdownEnabled", "no", "false");
        row("or yes, on or 1 in any case", "idlePauseEnabled", " ON ", "true");
        row("postpone off", "postponeEnabled", "off", "false");
        row("a word that is no switch takes the default", "shutdownEnabled", "maybe", "false",
            "is none of true, false, yes, no, on, off, 1, 0; using false");
        row("a break past the longest the dialog offers is the longest", "microBreakDuration", "999999999", "300",
            "is above the largest allowed, 300; using 300");
        row("whatever the number's size", "longBreakInterval", "99999999999999999", "28800",
            "is above the largest allowed, 28800; using 28800");
        row("a long break at most an hour", "longBreakDuration", "3601", "3600",
            "is above the largest allowed, 3600; using 3600");
        row("no time is the default", "microBreakInterval", "0", "1200", "is below the least allowed, 1; using 1200");
        row("a short time stays, for trying the program", "microBreakInterval", "30", "30");
        row("text is no time", "longBreakDuration", "5 minutes", "300", "is not a whole number; using 300");
        row("an hour past the day", "shutdownHour", "24", "23", "is above the largest allowed, 23; using 23");
        row("an hour before it", "shutdownHour", "-3", "0", "is below the least allowed, 0; using 0");
        row("a colour by name", "backgroundColor", "red", "#ff0000");
        row("no colour", "backgroundColor", "blue-ish", "#0078d4", "is not a colour; using #0078d4");
        row("any language", "language", "fr", "fr");
        row("a hold of a minute stays, for trying the program", "holdBreaksMaxMinutes", "1", "1");
        row("a hold of nothing is the default", "holdBreaksMaxMinutes", "0", "60",
            "is below the least allowed, 1; using 60");
        row("a hold at most four hours", "holdBreaksMaxMinutes", "300", "240",
            "is above the largest allowed, 240; using 240");
    }
    void storedTextIsCheckedAndSaid()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QString, used);
        QFETCH(QString, said);
        QTest::failOnWarning(QRegularExpression("."));
        if (!said.isEmpty())
            QTest::ignoreMessage(QtWarningMsg,
                                 qPrintable(QStringLiteral("Settings: %1 \"%2\" %3").arg(key, stored.trimmed(), said)));
        StoredSettings storage;
        QVERIFY(QDir().mkpath(QFileInfo(storage.path()).path()));
        QVERIFY(writeFile(storage.path(), QStringLiteral("[General]\nversion=2\n%1=%2\n").arg(key, stored).toUtf8()));
        SettingsManager settings;
        QVERIFY(settings.load() == SettingsManager::LoadResult::Read);
        const QVariant value = settings.property(qPrintable(key));
        QCOMPARE(value.typeId() == QMetaType::QColor ? value.value<QColor>().name() : value.toString(), used);
        QCOMPARE(storage.value(key).toString(), used);
    }

    // A save that fails says so and leaves the file as it was; the values stay in
    // use, and the next save that can write does.
    void aFailedSaveLeavesTheFileWhole()
    {
        LoadedSettings s({{"microBreakInterval", 600}});
        const QByteArray before = readFile(s.stored.path());
        s.settings.setMicroBreakInterval(900);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Settings: could not save to .*RespiteKeeper.conf"));
        bool saved = true;
        {
            FullDisk full;
            saved = s.settings.save();
        }
        QVERIFY(!saved && readFile(s.stored.path()) == before && s.settings.microBreakInterval() == 900);
        QVERIFY(s.settings.save() && s.stored.value("microBreakInterval") == 900);
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
            const bool readable = content.startsWith("[General]\nversion=2");
            if (!readable)
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot be read; the defaults apply"));
            QCOMPARE(settings.load() == SettingsManager::LoadResult::Read, readable);
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
