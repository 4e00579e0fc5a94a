#include "WaylandModule.h"

#include <QCoreApplication>
#include <QLibrary>

QFunctionPointer waylandModuleEntry(const char* name)
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    QStringList folders{programFolder, programFolder + QStringLiteral("/" RK_MODULE_DIR)};
    if (!qEnvironmentVariableIsEmpty("RESPITEKEEPER_MODULE_DIR"))
        folders.prepend(qEnvironmentVariable("RESPITEKEEPER_MODULE_DIR"));
    // Loaded once; it stays loaded for the life of the process.
    for (const QString& folder : std::as_const(folders)) {
        if (QFunctionPointer entry = QLibrary(folder + QStringLiteral("/respitekeeper-wayland")).resolve(name))
            return entry;
    }
    static bool told = false;
    if (!std::exchange(told, true))
        qWarning("The program's Wayland module (respitekeeper-wayland.so) is missing");
    return nullptr;
}
