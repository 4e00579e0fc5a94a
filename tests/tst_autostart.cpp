#include "TestHelpers.h"
#include "platform/linux/DesktopEntry.h"

#include <QDir>

namespace {

// The key file's own string escapes undone, as every reader of desktop entries does.
QString unescape(const QString& value)
{
    static const QHash<QChar, QChar> escapes{{'n', '\n'}, {'t', '\t'}, {'r', '\r'}, {'s', ' '}};
    QString text;
    for (int i = 0; i < value.size(); ++i)
        text += value[i] == '\\' && i + 1 < value.size() ? (++i, escapes.value(value[i], value[i])) : value[i];
    return text;
}

// Reads an Exec value back as a launcher does: the key file's escapes, then the
// quoting, then the field codes (a lone % starts one, which a path never holds).
QStringList parseExec(const QString& value)
{
    const QString text = unescape(value);
    QStringList arguments{QString()};
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const QString next = text.mid(i + 1, 1);
        if (c == '%' && next != "%")
            return {QStringLiteral("field code")};
        if ((c == '%') || (quoted && c == '\\' && !next.isEmpty() && QString("\"`$\\").contains(next)))
            arguments.last() += text[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ' ' && !quoted)
            arguments << QString();
        else
            arguments.last() += c;
    }
    return arguments;
}

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

    // TryExec lets the desktop skip the entry once the program is gone.
    void anyPathSurvivesTheDesktopEntryRules()
    {
        for (const QString path : {"/home/a user/My Programs/RespiteKeeper", "/opt/say \"hi\"/$HOME/`id`/it's/RK",
                                   "/opt/back\\slash/a\tb/RK", "/opt/100%/%f/RK", "/opt/憩安/RespiteKeeper"}) {
            const QString exec = desktopEntryExec(path);
            QCOMPARE(parseExec(exec), QStringList{path});
            const QString entry = autostartDesktopEntry(path);
            QVERIFY(entry.contains("\nExec=" + exec + "\n"));
            const int tryExec = entry.indexOf("\nTryExec=") + 9;
            QCOMPARE(unescape(entry.mid(tryExec, entry.indexOf('\n', tryExec) - tryExec)), path);
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
