#include "BreakMessages.h"

#include <QFile>
#include <QSettings>

BreakMessages BreakMessages::forLanguage(const QString& languageCode)
{
    QString path = QStringLiteral(":/translations/messages_%1.ini").arg(languageCode);
    if (!QFile::exists(path))
        path = QStringLiteral(":/translations/messages_en.ini");
    QSettings file(path, QSettings::IniFormat);
    file.beginGroup(QStringLiteral("messages"));
    BreakMessages messages;
    for (int i = 1; i <= MaxPerKind; ++i) {
        const QString micro = QStringLiteral("micro%1").arg(i);
        if (file.contains(micro))
            messages.micro.append(file.value(micro).toString());
        const QString longKey = QStringLiteral("long%1").arg(i);
        if (file.contains(longKey))
            messages.longBreak.append(file.value(longKey).toString());
    }
    return messages;
}
