#include "WaylandModule.h"
#include "ProgramModule.h"
#include "X11Connection.h"
#include "platform/RuntimeModule.h"

namespace {

ProgramModule& module()
{
    static ProgramModule loaded(QStringLiteral("Wayland"), QStringLiteral("respitekeeper-wayland.so"));
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
