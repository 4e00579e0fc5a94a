#include "TestHelpers.h"
#include "platform/linux/DesktopEntry.h"

#include <QDir>

namespace {

QString folder()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart";
}
QString entryPath()
{
    return folder() + "/RespiteKeeper.desktop";
}
QByteArray entry()
{
    QFile file(entryPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
void writeFile(const QString& path, const QByteArray& content = {})
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
}

} // namespace

// Works in the sandbox's XDG_CONFIG_HOME, never the user's autostart folder.
class TestAutoStart : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QDir(folder()).removeRecursively();
        QFile::remove(folder());
    }

    void everyLoadWritesTheEntryForThisProgram()
    {
        MessageLog warnings(QtWarningMsg);
        QDir().mkpath(folder());
        writeFile(entryPath(), "[Desktop Entry]\nExec=\"/old/place/RespiteKeeper\"\n");
        LoadedSettings loaded;
        QVERIFY(entry().startsWith("[Desktop Entry]\nType=Application\n"));
        QVERIFY(entry().contains("\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\"\n"));
        QVERIFY(!entry().contains("/old/place"));
        // Off removes only our entry; reset turns it on, but only the next start writes it.
        writeFile(folder() + "/other.desktop");
        loaded.settings.setAutoStartAtBoot(false);
        QVERIFY(!QFile::exists(entryPath()) && QFile::exists(folder() + "/other.desktop"));
        loaded.settings.setAutoStartAtBoot(true);
        QVERIFY(QFile::exists(entryPath()));
        loaded.settings.setAutoStartAtBoot(false);
        loaded.settings.resetToDefaults();
        QVERIFY(!QFile::exists(entryPath()));
        loaded.settings.load();
        QVERIFY(QFile::exists(entryPath()) && warnings.messages.isEmpty());
    }

    void offWithoutAnEntryTouchesNothing()
    {
        MessageLog warnings(QtWarningMsg);
        LoadedSettings loaded({{"autoStartAtBoot", false}});
        QVERIFY(!QDir(folder()).exists() && warnings.messages.isEmpty());
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
            const QString entry = autostartDesktopEntry(QString::fromUtf8(path));
            QCOMPARE(desktopEntryExec(QString::fromUtf8(path)), QString::fromUtf8(exec));
            QVERIFY(entry.contains(
                QStringLiteral("\nExec=%1\nTryExec=%2\n").arg(QString::fromUtf8(exec), QString::fromUtf8(tryExec))));
        }
    }

    // A file where the folder should be, or a folder where the entry should be:
    // even root cannot write there. One warning each time, nothing else.
    void whatCannotBeWrittenGivesOneWarning()
    {
        MessageLog warnings(QtWarningMsg);
        writeFile(folder());
        LoadedSettings loaded;
        QVERIFY(warnings.messages.size() == 1 && warnings.messages.first().contains("autostart"));
        QFile::remove(folder());
        QVERIFY(QDir().mkpath(entryPath()));
        loaded.settings.setAutoStartAtBoot(false);
        QCOMPARE(warnings.messages.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestAutoStart)
#include "tst_autostart.moc"
