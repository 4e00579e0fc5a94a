#pragma once

#include <QString>

// The Exec value of a desktop entry that runs the program at the path, quoted and
// escaped by the Desktop Entry rules so any path survives.
QString desktopEntryExec(const QString& executablePath);
// The whole desktop entry that starts RespiteKeeper at log-on.
QString autostartDesktopEntry(const QString& executablePath);
