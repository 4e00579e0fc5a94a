#pragma once

#include <QString>

// The folder for this user's socket and lock file, the same for every start of the
// user: XDG_RUNTIME_DIR, else the system's per-user folder (/run/user/<uid>), each
// only when it is a real folder of this user that nobody else can use; else a
// private folder of our own under the temporary folder or the cache folder. Empty
// when there is none: a folder others can write to is never used.
QString userRuntimeDirectory(const QString& xdgRuntimeDir, const QString& systemUserDir);
