#include "TestHelpers.h"
#include "platform/linux/DesktopEntry.h"
#include "settings/SettingsManager.h"

#include <QDir>
#include <QTest>

namespace {

QStringList s_warnings;
void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtWarningMsg)
        s_warnings << message;
}

// The key file's own string escapes undone, as every reader of desktop entries does.
QString unescape(const QString& value)
{
    QString text;
    for (int i = 0; i < value.size(); ++i) {
        QChar c = value[i];
        if (c == '\\' && i + 1 < value.size()) {
            c = value[++i];
            c = c == 'n' ? QChar('\n') : c == 't' ? QChar('\t') : c == 'r' ? QChar('\r') : c == 's' ? QChar(' ') : c;
        }
        text += c;
    }
    return text;
}

// Reads an Exec value back as a launcher does: the key file's escapes, then the
// quoting, then the field codes (a lone % starts one, which a path never holds).
QStringList parseExec(const QString& value)
{
    const QString text = unescape(value);
    QStringList arguments;
    QString current;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == '%') {
            if (i + 1 >= text.size() || text[++i] != '%')
                return {QStringLiteral("field code")};
            current += c;
        } else if (quoted && c == '\\' && i + 1 < text.size() && QString("\"`$\\").contains(text[i + 1])) {
            current += text[++i];
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ' ' && !quoted) {
            arguments << current;
            current.clear();
        } else {
            current += c;
        }
    }
    return arguments << current;
}

} // namespace

// Works in the sandbox's XDG_CONFIG_HOME, never the user's autostart folder.
class TestAutoStart : public QObject
{
    Q_OBJECT

    std::unique_ptr<StoredSettings> m_stored;
    QString folder() const { return qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart"; }
    QString entryPath() const { return folder() + "/RespiteKeeper.desktop"; }
    QString entry() const
    {
        QFile file(entryPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private slots:
    void init()
    {
        QDir(folder()).removeRecursively();
        QFile::remove(folder());
        m_stored = std::make_unique<StoredSettings>();
        s_warnings.clear();
        qInstallMessageHandler(collectWarnings);
    }
    void cleanup() { qInstallMessageHandler(nullptr); }

    void everyLoadWritesTheEntryForThisProgram()
    {
        QDir().mkpath(folder());
        QFile stale(entryPath());
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("[Desktop Entry]\nExec=\"/old/place/RespiteKeeper\"\n");
        stale.close();
        SettingsManager settings;
        settings.load();
        QVERIFY(entry().startsWith("[Desktop Entry]\nType=Application\n"));
        QVERIFY(entry().contains(QStringLiteral("\nExec=\"%1\"\n").arg(QCoreApplication::applicationFilePath())));
        QVERIFY(!entry().contains("/old/place"));
        QVERIFY(s_warnings.isEmpty());
    }

    void switchingOffRemovesOnlyOurEntry()
    {
        SettingsManager settings;
        settings.load();
        QFile other(folder() + "/other.desktop");
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();
        settings.setAutoStartAtBoot(false);
        QVERIFY(!QFile::exists(entryPath()) && QFile::exists(other.fileName()));
        settings.setAutoStartAtBoot(true);
        QVERIFY(QFile::exists(entryPath()));
        settings.setAutoStartAtBoot(false);
        settings.resetToDefaults(); // on again, but only the next start writes it
        QVERIFY(!QFile::exists(entryPath()));
        settings.load();
        QVERIFY(QFile::exists(entryPath()));
        QVERIFY(s_warnings.isEmpty());
    }

    void offWithoutAnEntryTouchesNothing()
    {
        m_stored->store({{"autoStartAtBoot", false}});
        SettingsManager settings;
        settings.load();
        QVERIFY(!QDir(folder()).exists());
        QVERIFY(s_warnings.isEmpty());
    }

    void anyPathSurvivesTheDesktopEntryRules_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("spaces") << "/home/a user/My Programs/RespiteKeeper";
        QTest::newRow("quotes, dollar and backtick") << "/opt/say \"hi\"/$HOME/`id`/it's/RespiteKeeper";
        QTest::newRow("backslash and tab") << "/opt/back\\slash/a\tb/RespiteKeeper";
        QTest::newRow("percent") << "/opt/100%/%f/RespiteKeeper";
        QTest::newRow("non-ASCII") << "/opt/憩安/RespiteKeeper";
    }

    void anyPathSurvivesTheDesktopEntryRules()
    {
        QFETCH(QString, path);
        const QString exec = desktopEntryExec(path);
        QCOMPARE(parseExec(exec), QStringList{path});
        const QString entry = autostartDesktopEntry(path);
        QVERIFY(entry.contains("\nExec=" + exec + "\n"));
        // TryExec lets the desktop skip the entry once the program is gone.
        const int tryExec = entry.indexOf("\nTryExec=") + 9;
        QCOMPARE(unescape(entry.mid(tryExec, entry.indexOf('\n', tryExec) - tryExec)), path);
    }

    // A file where the folder should be, or a folder where the entry should be:
    // even root cannot write there. One warning each time, nothing else.
    void whatCannotBeWrittenGivesOneWarning()
    {
        QFile blocker(folder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        SettingsManager settings;
        settings.load();
        QCOMPARE(s_warnings.size(), 1);
        QVERIFY(s_warnings.first().contains("autostart"));
        QFile::remove(folder());
        QVERIFY(QDir().mkpath(entryPath()));
        settings.setAutoStartAtBoot(false);
        QCOMPARE(s_warnings.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestAutoStart)
#include "tst_autostart.moc"
