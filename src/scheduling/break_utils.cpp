#include "break_utils.h"

#include <QCoreApplication>

QString formatDuration(int seconds)
{
    if (seconds < 0)
        return QCoreApplication::translate("break_utils", "N/A");
    if (seconds < 60)
        return QCoreApplication::translate("break_utils", "%1 s").arg(qint64(seconds));
    const qint64 minutes = seconds / 60;
    const qint64 rest = seconds % 60;
    if (rest == 0)
        return QCoreApplication::translate("break_utils", "%1 m").arg(minutes);
    return QCoreApplication::translate("break_utils", "%1 m %2 s").arg(minutes).arg(rest);
}
