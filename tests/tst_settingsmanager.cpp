#include "settings/SettingsManager.h"

#include <QMetaMethod>
#include <QMetaProperty>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// Each test works on settings of its own in a temporary folder.
class TestSettingsManager : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString storePath() const { return m_dir->path() + QStringLiteral("/RespiteKeeper/RespiteKeeper.conf"); }
    QSettings stored() const { return QSettings(storePath(), QSettings::IniFormat); }
    void writeStored(const QVariantMap& values)
    {
        QSettings settings(storePath(), QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            settings.setValue(it.key(), it.value());
        settings.sync();
    }
    void writeRaw(const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(storePath()).path());
        QFile file(storePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void verifyDefaults(const SettingsManager& s)
    {
        QCOMPARE(s.microBreakInterval(), 1200);
        QCOMPARE(s.microBreakDuration(), 20);
        QCOMPARE(s.longBreakInterval(), 3600);
        QCOMPARE(s.longBreakDuration(), 300);
        QCOMPARE(s.backgroundColor(), QColor(0, 120, 212));
        QCOMPARE(s.shutdownHour(), 22);
        QCOMPARE(s.shutdownMinute(), 0);
        QCOMPARE(s.language(), QStringLiteral("system"));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir->path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir->path());
    }

    void firstStartStoresEveryKeyWithItsDefault()
    {
        SettingsManager settings;
        settings.load();
        verifyDefaults(settings);

        QSettings s = stored();
        QCOMPARE(s.value("version").toInt(), 2);
        const QVariantMap expected{
            {"microBreakInterval", 1200},   {"microBreakDuration", 20}, {"longBreakInterval", 3600},
            {"longBreakDuration", 300},     {"postponeEnabled", true},  {"showOnAllMonitors", true},
            {"autoStartAtBoot", true},      {"idlePauseEnabled", true}, {"language", "system"},
            {"backgroundColor", "#0078d4"}, {"shutdownEnabled", false}, {"shutdownHour", 22},
            {"shutdownMinute", 0}};
        QCOMPARE(s.allKeys().size(), expected.size() + 1);
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QCOMPARE(s.value(it.key()).toString(), it.value().toString());
    }

    void migratesVersionOneMinutes_data()
    {
        QTest::addColumn<QVariantMap>("storedValues");
        QTest::addColumn<int>("microInterval");
        QTest::addColumn<int>("longInterval");
        QTest::addColumn<int>("longDuration");
        QTest::newRow("minutes become seconds")
            << QVariantMap{{"microBreakInterval", 25}, {"longBreakInterval", 90}, {"longBreakDuration", 10}} << 1500
            << 5400 << 600;
        QTest::newRow("values beyond the minute ranges stay as seconds")
            << QVariantMap{{"longBreakInterval", 480}, {"longBreakDuration", 60}, {"microBreakInterval", 120}} << 120
            << 480 << 60;
        QTest::newRow("explicit version 1 is migrated too")
            << QVariantMap{{"version", 1}, {"microBreakInterval", 30}} << 1800 << 3600 << 300;
        QTest::newRow("version 2 is read as it is, without clamping")
            << QVariantMap{{"version", 2}, {"microBreakInterval", 30}, {"longBreakInterval", 90}} << 30 << 90 << 300;
    }

    void migratesVersionOneMinutes()
    {
        QFETCH(QVariantMap, storedValues);
        writeStored(storedValues);
        SettingsManager settings;
        settings.load();
        QTEST(settings.microBreakInterval(), "microInterval");
        QTEST(settings.longBreakInterval(), "longInterval");
        QTEST(settings.longBreakDuration(), "longDuration");
        QCOMPARE(stored().value("version").toInt(), 2);
    }

    void migrationRunsOnlyOnce()
    {
        writeStored({{"microBreakInterval", 25}});
        {
            SettingsManager settings;
            settings.load();
        }
        SettingsManager again;
        again.load();
        QCOMPARE(again.microBreakInterval(), 1500);
    }

    void settersApplyTheirRules()
    {
        SettingsManager s;
        s.setLongBreakInterval(5000);
        QCOMPARE(s.longBreakInterval(), 4800);
        s.setLongBreakInterval(100);
        QCOMPARE(s.longBreakInterval(), 1200);

        s.setLongBreakInterval(3600);
        s.setMicroBreakInterval(1800);
        QCOMPARE(s.longBreakInterval(), 3600);
        s.setMicroBreakInterval(1200);
        s.setLongBreakInterval(4000); // rounds down to 3600 already
        QCOMPARE(s.longBreakInterval(), 3600);

        SettingsManager t;
        t.setLongBreakInterval(4800);
        t.setMicroBreakInterval(1800);
        QCOMPARE(t.longBreakInterval(), 3600);
        t.setMicroBreakInterval(7200);
        QCOMPARE(t.microBreakInterval(), 7200);
        QCOMPARE(t.longBreakInterval(), 7200);

        t.setMicroBreakInterval(30);
        QCOMPARE(t.microBreakInterval(), 60);
        t.setMicroBreakDuration(1);
        QCOMPARE(t.microBreakDuration(), 5);
        t.setLongBreakDuration(10);
        QCOMPARE(t.longBreakDuration(), 60);
        t.setShutdownHour(24);
        QCOMPARE(t.shutdownHour(), 23);
        t.setShutdownMinute(-5);
        QCOMPARE(t.shutdownMinute(), 0);
        t.setShutdownMinute(60);
        QCOMPARE(t.shutdownMinute(), 59);
    }

    void settersEmitNothing()
    {
        SettingsManager s;
        QSignalSpy spy(&s, &SettingsManager::settingsChanged);
        s.setMicroBreakInterval(600);
        s.setLanguage("zh");
        s.setBackgroundColor(Qt::red);
        QCOMPARE(spy.count(), 0);
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
        QTest::newRow("empty gives the default") << "" << QColor(0, 120, 212) << "#0078d4";
    }

    void colourForms()
    {
        QFETCH(QString, storedColour);
        writeStored({{"version", 2}, {"backgroundColor", storedColour}});
        SettingsManager settings;
        settings.load();
        QTEST(settings.backgroundColor(), "loaded");
        QTEST(stored().value("backgroundColor").toString(), "savedBack");
    }

    // Values that would stop the break cycle or start a shutdown at once never
    // reach the rest of the program.
    void loadProtectsAgainstBrokenValues_data()
    {
        QTest::addColumn<QVariantMap>("storedValues");
        QTest::newRow("zero intervals") << QVariantMap{{"microBreakInterval", 0}, {"longBreakInterval", 0}};
        QTest::newRow("negative times") << QVariantMap{
            {"microBreakInterval", -60}, {"microBreakDuration", -1}, {"longBreakDuration", -300}};
        QTest::newRow("text that reads as zero")
            << QVariantMap{{"microBreakInterval", "soon"}, {"longBreakInterval", "later"}};
    }

    void loadProtectsAgainstBrokenValues()
    {
        QFETCH(QVariantMap, storedValues);
        storedValues.insert("version", 2);
        writeStored(storedValues);
        SettingsManager settings;
        settings.load();
        QVERIFY(settings.microBreakInterval() >= 1);
        QVERIFY(settings.microBreakDuration() >= 1);
        QVERIFY(settings.longBreakInterval() >= 1);
        QVERIFY(settings.longBreakDuration() >= 1);
        for (const QString& key : storedValues.keys()) {
            if (key != "version")
                QCOMPARE(settings.property(key.toLatin1()).toInt(), SettingsManager().property(key.toLatin1()).toInt());
        }
    }

    void loadClampsTheShutdownTime()
    {
        writeStored({{"version", 2}, {"shutdownHour", 24}, {"shutdownMinute", 75}});
        SettingsManager settings;
        settings.load();
        QCOMPARE(settings.shutdownHour(), 23);
        QCOMPARE(settings.shutdownMinute(), 59);
        writeStored({{"shutdownHour", -3}, {"shutdownMinute", -1}});
        settings.load();
        QCOMPARE(settings.shutdownHour(), 0);
        QCOMPARE(settings.shutdownMinute(), 0);
    }

    void damagedStorageStartsWithDefaults_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("garbage") << QByteArray("}}}[[[\n==\x01\x02\xff\xfe garbage\n[General\nmicroBreakInterval");
        QTest::newRow("NUL bytes") << QByteArray(4096, '\0');
        QTest::newRow("NUL inside values")
            << QByteArray::fromRawData("[General]\nversion=2\nmicroBreakInterval=\0\0\0\nlongBreakDuration=\0\n", 63);
    }

    void damagedStorageStartsWithDefaults()
    {
        QFETCH(QByteArray, content);
        writeRaw(content);
        SettingsManager settings;
        settings.load();
        verifyDefaults(settings);
    }

    void unreadableStorageStartsWithDefaults()
    {
        // A folder where the file should be cannot be read, not even by root.
        QVERIFY(QDir().mkpath(storePath()));
        SettingsManager settings;
        settings.load();
        verifyDefaults(settings);
        settings.setMicroBreakInterval(600);
        settings.save();
        QCOMPARE(settings.microBreakInterval(), 600);
    }

    void resetWritesDefaultsAndAnnouncesOnce()
    {
        writeStored({{"version", 2}, {"microBreakInterval", 600}, {"backgroundColor", "#ff0000"}});
        SettingsManager settings;
        settings.load();
        QSignalSpy spy(&settings, &SettingsManager::settingsChanged);
        settings.resetToDefaults();
        QCOMPARE(spy.count(), 1);
        verifyDefaults(settings);
        QCOMPARE(stored().value("microBreakInterval").toInt(), 1200);
        QCOMPARE(stored().value("backgroundColor").toString(), QStringLiteral("#0078d4"));
    }

    void metaObjectExposesTheSettingsInOrder()
    {
        const QMetaObject* mo = &SettingsManager::staticMetaObject;
        QCOMPARE(mo->className(), "SettingsManager");
        const QStringList expected{"microBreakInterval", "microBreakDuration", "longBreakInterval", "longBreakDuration",
                                   "postponeEnabled",    "showOnAllMonitors",  "autoStartAtBoot",   "idlePauseEnabled",
                                   "language",           "backgroundColor",    "shutdownEnabled",   "shutdownHour",
                                   "shutdownMinute"};
        QCOMPARE(mo->propertyCount() - mo->propertyOffset(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            const QMetaProperty p = mo->property(mo->propertyOffset() + i);
            QCOMPARE(QString::fromLatin1(p.name()), expected.at(i));
            QVERIFY(p.isReadable() && p.isWritable() && p.isStored() && p.isDesignable() && p.isScriptable());
            QCOMPARE(p.notifySignal().name(), QByteArray("settingsChanged"));
        }
        const int first = mo->methodOffset();
        QCOMPARE(mo->method(first).methodType(), QMetaMethod::Signal);
        QCOMPARE(mo->method(first).name(), QByteArray("settingsChanged"));
        QCOMPARE(mo->method(first + 1).name(), QByteArray("resetToDefaults"));
        QCOMPARE(mo->method(first + 1).methodType(), QMetaMethod::Method);
        QCOMPARE(mo->method(first + 2).name(), QByteArray("notifySettingsChanged"));
        QCOMPARE(mo->method(first + 2).methodType(), QMetaMethod::Method);

        SettingsManager s;
        QVERIFY(s.setProperty("microBreakInterval", 30));
        QCOMPARE(s.microBreakInterval(), 60);
        QVERIFY(s.setProperty("shutdownHour", 99));
        QCOMPARE(s.shutdownHour(), 23);
        QSignalSpy spy(&s, &SettingsManager::settingsChanged);
        QVERIFY(QMetaObject::invokeMethod(&s, "notifySettingsChanged"));
        QCOMPARE(spy.count(), 1);
    }

    void effectiveLanguageFollowsTheSystemLocale()
    {
        const QString system = QLocale::system().name().section('_', 0, 0);
        QCOMPARE(SettingsManager::effectiveLanguage("system"), system);
        QCOMPARE(SettingsManager::effectiveLanguage(""), system);
        QCOMPARE(SettingsManager::effectiveLanguage("System"), QStringLiteral("System"));
        QCOMPARE(SettingsManager::effectiveLanguage("zh"), QStringLiteral("zh"));
        QCOMPARE(SettingsManager::effectiveLanguage("de"), QStringLiteral("de"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsManager)
#include "tst_settingsmanager.moc"
