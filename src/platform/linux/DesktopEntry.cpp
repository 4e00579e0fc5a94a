#include "DesktopEntry.h"

namespace {

// The key file's own string escapes, which are undone first when reading.
QString keyFileString(const QString& text)
{
    QString value;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            value += QStringLiteral("\\\\");
            break;
        case '\n':
            value += QStringLiteral("\\n");
            break;
        case '\t':
            value += QStringLiteral("\\t");
            break;
        case '\r':
            value += QStringLiteral("\\r");
            break;
        default:
            value += c;
        }
    }
    return value;
}

} // namespace

QString desktopEntryExec(const QString& executablePath)
{
    // 1. Quote the argument; inside the quotes ", `, $ and \ take a backslash.
    QString quoted;
    for (const QChar c : executablePath) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    // 2. A literal % is written %% so it is no field code.
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    // 3. The key file's own string escapes.
    return keyFileString(quoted);
}

QString autostartDesktopEntry(const QString& executablePath)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=RespiteKeeper\n"
                          "Comment=Reminds you to take regular breaks from the screen\n"
                          "Exec=%1\n"
                          "TryExec=%2\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(desktopEntryExec(executablePath), keyFileString(executablePath));
}
