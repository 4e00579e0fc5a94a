#include "TestHelpers.h"
#include "app/Wiring.h"
#include "platform/AutoStartEntry.h"
#include "platform/linux/DesktopEntry.h"

// Works in the sandbox's XDG_CONFIG_HOME, never the user's autostart folder.
class TestAutoStart : public QObject
{
    Q_OBJECT

    // Read when used: the sandbox moves XDG_CONFIG_HOME before main().
    static QString folder() { return qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart"; }
    static QString entryPath() { return folder() + "/RespiteKeeper.desktop"; }
    static QByteArray entry() { return readFile(entryPath()); }

private slots:
    // Every start writes the entry for this program when the setting is on; off
    // removes only our entry, and where it is off and nothing is there nothing is
    // touched. Reset turns it on, but only the next start writes it. Settings that
    // cannot be read write nothing, whatever their defaults say.
    void theEntryFollowsTheSetting()
    {
        QTest::failOnWarning(QRegularExpression("."));
        const std::unique_ptr<AutoStartEntry> entryFile = createAutoStartEntry();
        StoredSettings stored({{"autoStartAtBoot", false}});
        SettingsManager off;
        loadSettings(off, *entryFile);
        QVERIFY(!QDir(folder()).exists());
        QVERIFY(QDir().mkpath(folder()) && writeFile(entryPath(), "[Desktop Entry]\nExec=/old/RespiteKeeper\n") &&
                writeFile(folder() + "/other.desktop"));
        off.resetToDefaults();
        QVERIFY(entry().contains("/old/")); // reset writes nothing
        SettingsManager next;
        loadSettings(next, *entryFile);
        QVERIFY(entry().startsWith("[Desktop Entry]\nType=Application\n") && !entry().contains("/old/"));
        QVERIFY(entry().contains("\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\"\n"));
        next.setAutoStartAtBoot(false);
        QVERIFY(entry() == "none" && QFile::exists(folder() + "/other.desktop"));

        QVERIFY(writeFile(stored.path(), "[General]\nautoStartAtBoot=false\n}}}[[[\n==\x01\n[General\n"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot be read"));
        SettingsManager unreadable;
        loadSettings(unreadable, *entryFile);
        QVERIFY2(unreadable.autoStartAtBoot() && entry() == "none", entry().constData() + readFile(stored.path()));
    }

    // Exec: one argument in quotes, with the quoting's and the key file's escapes
    // and no field code. TryExec, which lets the desktop skip the entry once the
    // program is gone, has the key file's escapes only.
    void anyPathSurvivesTheDesktopEntryRules()
    {
        const QList<std::array<const char*, 3>> cases{
            // path, Exec, TryExec
            {"/opt/say \"hi\"/$HOME/`id`/it's/RK", "\"/opt/say \\\\\"hi\\\\\"/\\\\$HOME/\\\\`id\\\\`/it's/RK\"",
             "/opt/say \"hi\"/$HOME/`id`/it's/RK"},
            {"/opt/back\\slash/a\tb/100%/%f/RK", "\"/opt/back\\\\\\\\slash/a\\tb/100%%/%%f/RK\"",
             "/opt/back\\\\slash/a\\tb/100%/%f/RK"},
            {"/home/a user/憩安/RK", "\"/home/a user/憩安/RK\"", "/home/a user/憩安/RK"}};
        for (const auto& [path, exec, tryExec] : cases) {
            QCOMPARE(desktopEntryExec(QString::fromUtf8(path)), QString::fromUtf8(exec));
            QVERIFY(autostartDesktopEntry(QString::fromUtf8(path))
                        .contains(QStringLiteral("\nExec=%1\nTryExec=%2\n")
                                      .arg(QString::fromUtf8(exec), QString::fromUtf8(tryExec))));
        }
    }

    // A file where the folder should be, or a folder where the entry should be:
    // even root cannot write there. One warning each time, nothing else.
    void whatCannotBeWrittenGivesOneWarning()
    {
        QTest::failOnWarning(QRegularExpression("."));
        for (int i = 0; i < 2; ++i)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("autostart"));
        QDir(folder()).removeRecursively();
        QVERIFY(writeFile(folder()));
        const std::unique_ptr<AutoStartEntry> entryFile = createAutoStartEntry();
        StoredSettings stored;
        SettingsManager settings;
        loadSettings(settings, *entryFile);
        QVERIFY(QFile::remove(folder()) && QDir().mkpath(entryPath()));
        settings.setAutoStartAtBoot(false);
    }
};

QTEST_GUILESS_MAIN(TestAutoStart)
#include "tst_autostart.moc"
