#include "WaylandModule.h"
#include "X11Connection.h"
#include "platform/RuntimeModule.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

namespace {

// Loaded once; it stays loaded for the life of the process.
class Module
{
public:
    Module()
    {
        const QString programFolder = QCoreApplication::applicationDirPath();
        QStringList folders{programFolder, programFolder + QStringLiteral("/" RK_MODULE_DIR)};
        if (!qEnvironmentVariableIsEmpty("RESPITEKEEPER_MODULE_DIR"))
            folders.prepend(qEnvironmentVariable("RESPITEKEEPER_MODULE_DIR"));
        QStringList errors;
        for (const QString& folder : std::as_const(folders)) {
            const QString file = folder + QStringLiteral("/respitekeeper-wayland.so");
            m_library.setFileName(file);
            if ((m_loaded = m_library.load()))
                return;
            // The loader's message for a missing file names the last of the names it
            // tried, not this one.
            errors << (QFileInfo::exists(file) ? m_library.errorString() : file + QStringLiteral(": no such file"));
        }
        m_problem = QStringLiteral("the program's Wayland module (respitekeeper-wayland.so) could not be loaded: ") +
                    errors.join(QStringLiteral("; "));
        qWarning("%s", qPrintable(m_problem));
    }

    QFunctionPointer entry(const char* name) { return m_loaded ? m_library.resolve(name) : nullptr; }
    bool loaded() const { return m_loaded; }
    QString description() const { return m_loaded ? m_library.fileName() : m_problem; }

private:
    QLibrary m_library;
    bool m_loaded = false;
    QString m_problem;
};

Module& module()
{
    static Module loaded;
    return loaded;
}

} // namespace

QFunctionPointer waylandModuleEntry(const char* name)
{
    return module().entry(name);
}

bool waylandModuleLoaded()
{
    return module().loaded();
}

QString runtimeModuleDescription()
{
    return onWayland() ? module().description() : QString();
}
