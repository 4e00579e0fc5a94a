#include "platform/linux/DesktopEntry.h"
#include "settings/SettingsManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList s_warnings;
void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtWarningMsg)
        s_warnings << message;
}

// Undoes the key file's string escapes, as every reader of desktop entries does.
QString unescapeKeyFileString(const QString& value)
{
    QString unescaped;
    for (int i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const QChar next = value[++i];
            unescaped += next == 'n' ? QChar('\n') : next == 't' ? QChar('\t') : next == 'r' ? QChar('\r') : next;
        } else {
            unescaped += value[i];
        }
    }
    return unescaped;
}

// Reads an Exec value back as a launcher does: the key file's string escapes,
// then the quoting rules, then the field codes. Returns the arguments.
QStringList parseExec(const QString& value)
{
    const QString unescaped = unescapeKeyFileString(value);
    QStringList arguments;
    QString current;
    bool quoted = false;
    bool inArgument = false;
    for (int i = 0; i < unescaped.size(); ++i) {
        const QChar c = unescaped[i];
        if (quoted) {
            if (c == '\\' && i + 1 < unescaped.size() && QString("\"`$\\").contains(unescaped[i + 1]))
                current += unescaped[++i];
            else if (c == '"')
                quoted = false;
            else
                current += c;
        } else if (c == '"') {
            quoted = inArgument = true;
        } else if (c == ' ') {
            if (inArgument)
                arguments << current;
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        arguments << current;
    for (QString& argument : arguments)
        argument.replace("%%", "%");
    return arguments;
}

} // namespace

// Works in a temporary XDG_CONFIG_HOME, never the user's autostart folder.
class TestAutoStart : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_config;
    QTemporaryDir m_store;

    QString entryPath() const { return m_config->path() + "/autostart/RespiteKeeper.desktop"; }
    QString entry() const
    {
        QFile file(entryPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    void storeAutoStart(bool on)
    {
        QSettings stored(m_store.path() + "/RespiteKeeper/RespiteKeeper.conf", QSettings::IniFormat);
        stored.setValue("version", 2);
        stored.setValue("autoStartAtBoot", on);
    }

private slots:
    void init()
    {
        m_config = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", m_config->path().toLocal8Bit());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_store.path());
        s_warnings.clear();
        qInstallMessageHandler(collectWarnings);
    }
    void cleanup() { qInstallMessageHandler(nullptr); }

    void firstLoadWritesTheEntry()
    {
        SettingsManager settings;
        settings.load();
        const QString text = entry();
        QVERIFY(text.startsWith("[Desktop Entry]\n"));
        QVERIFY(text.contains("\nType=Application\n"));
        QVERIFY(text.contains("\nName=RespiteKeeper\n"));
        QVERIFY(text.contains(QStringLiteral("\nExec=\"%1\"\n").arg(QCoreApplication::applicationFilePath())));
        QVERIFY(s_warnings.isEmpty());
    }

    void everyLoadRewritesAMovedProgram()
    {
        QDir().mkpath(m_config->path() + "/autostart");
        QFile stale(entryPath());
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("[Desktop Entry]\nExec=\"/old/place/RespiteKeeper\"\n");
        stale.close();
        SettingsManager settings;
        settings.load();
        QVERIFY(entry().contains(QCoreApplication::applicationFilePath()));
        QVERIFY(!entry().contains("/old/place"));
    }

    void switchingOffRemovesOnlyOurEntry()
    {
        SettingsManager settings;
        settings.load();
        QFile other(m_config->path() + "/autostart/other.desktop");
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();
        settings.setAutoStartAtBoot(false);
        QVERIFY(!QFile::exists(entryPath()));
        QVERIFY(QFile::exists(other.fileName()));
        settings.setAutoStartAtBoot(true);
        QVERIFY(QFile::exists(entryPath()));
        QVERIFY(s_warnings.isEmpty());
    }

    void offWithoutAnEntryLogsNothing()
    {
        storeAutoStart(false);
        SettingsManager settings;
        settings.load();
        QVERIFY(!QFile::exists(entryPath()));
        QVERIFY(!QDir(m_config->path() + "/autostart").exists());
        QVERIFY(s_warnings.isEmpty());
    }

    void resetLeavesTheEntryAsItIs()
    {
        storeAutoStart(false);
        SettingsManager settings;
        settings.load();
        settings.resetToDefaults();
        QVERIFY(settings.autoStartAtBoot());
        QVERIFY(!QFile::exists(entryPath()));
        settings.load(); // the next start writes it
        QVERIFY(QFile::exists(entryPath()));
    }

    void anyPathSurvivesTheDesktopEntryRules_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "/usr/bin/RespiteKeeper";
        QTest::newRow("spaces") << "/home/a user/My Programs/RespiteKeeper";
        QTest::newRow("double quote") << "/opt/say \"hi\"/RespiteKeeper";
        QTest::newRow("dollar and backtick") << "/opt/$HOME/`id`/RespiteKeeper";
        QTest::newRow("backslash") << "/opt/back\\slash/RespiteKeeper";
        QTest::newRow("percent") << "/opt/100%/%f/RespiteKeeper";
        QTest::newRow("single quote and tab") << "/opt/it's\there/RespiteKeeper";
        QTest::newRow("non-ASCII") << "/opt/憩安/RespiteKeeper";
    }

    void anyPathSurvivesTheDesktopEntryRules()
    {
        QFETCH(QString, path);
        const QString exec = desktopEntryExec(path);
        QVERIFY(!exec.contains('\n'));
        QCOMPARE(parseExec(exec), QStringList{path});
        // The value also survives a generic key-file reader as one line.
        const QString entry = autostartDesktopEntry(path);
        QVERIFY(entry.contains("\nExec=" + exec + "\n"));
        // TryExec lets the desktop skip the entry once the program is removed.
        const int tryExec = entry.indexOf("\nTryExec=") + 9;
        QCOMPARE(unescapeKeyFileString(entry.mid(tryExec, entry.indexOf('\n', tryExec) - tryExec)), path);
    }

    void unwritableFolderGivesOneWarning()
    {
        // A file where the folder should be: even root cannot write there.
        QFile blocker(m_config->path() + "/autostart");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        SettingsManager settings;
        settings.load();
        QCOMPARE(s_warnings.size(), 1);
        QVERIFY(s_warnings.first().contains("autostart"));
    }

    void unwritableEntryGivesOneWarning()
    {
        QVERIFY(QDir().mkpath(entryPath())); // a folder in the entry's place
        SettingsManager settings;
        settings.load();
        QCOMPARE(s_warnings.size(), 1);
        s_warnings.clear();
        settings.setAutoStartAtBoot(false); // cannot remove a folder either
        QCOMPARE(s_warnings.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestAutoStart)
#include "tst_autostart.moc"
