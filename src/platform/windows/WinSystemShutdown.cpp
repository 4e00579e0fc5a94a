#include "platform/SystemShutdown.h"

#include "win_shutdown.h"

#include <QDebug>
#include <QProcess>

void shutdownSystem()
{
    const WinShutdownCalls calls{&ExitWindowsEx, [] {
                                     QProcess::startDetached(QStringLiteral("shutdown"),
                                                             {QStringLiteral("/s"), QStringLiteral("/f"),
                                                              QStringLiteral("/t"), QStringLiteral("0")},
                                                             QString());
                                 }};
    winShutDown(calls, [](const char* line) { qDebug().noquote() << line; });
}
