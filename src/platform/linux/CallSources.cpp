#include "CallSources.h"
#include "CallModules.h"
#include "CameraWatch.h"
#include "ProgramModule.h"
#include "platform/Presence.h"

#include <QDir>
#include <QFileInfo>

namespace {

void addModuleSource(Presence& presence, const QString& kind, const QString& fileName, const char* entryName)
{
    static std::map<QString, ProgramModule> modules;
    auto& module = modules.try_emplace(fileName, kind, fileName).first->second;
    auto entry = reinterpret_cast<CallSourceEntry>(module.entry(entryName));
    if (!entry)
        return; // the module said why
    presence.addSource(QuietReason::Call, std::unique_ptr<PresenceSource>(entry()));
}

} // namespace

QString pipeWireSocket()
{
    const QString remote = qEnvironmentVariableIsEmpty("PIPEWIRE_REMOTE") ? QStringLiteral("pipewire-0")
                                                                          : qEnvironmentVariable("PIPEWIRE_REMOTE");
    if (QDir::isAbsolutePath(remote))
        return remote;
    QString folder = qEnvironmentVariable("PIPEWIRE_RUNTIME_DIR");
    if (folder.isEmpty())
        folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + remote;
}

QString pulseSocket()
{
    const QString server = qEnvironmentVariable("PULSE_SERVER");
    if (server.startsWith(QLatin1String("unix:")))
        return server.mid(5);
    const QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/pulse/native");
}

void addCallSources(Presence& presence)
{
    if (const QString socket = pipeWireSocket(); !socket.isEmpty() && QFileInfo::exists(socket)) {
        addModuleSource(presence, QStringLiteral("PipeWire"), QStringLiteral("respitekeeper-pipewire.so"),
                        RK_PIPEWIRE_CALL_ENTRY);
    } else if (const QString pulse = pulseSocket(); !pulse.isEmpty() && QFileInfo::exists(pulse)) {
        addModuleSource(presence, QStringLiteral("PulseAudio"), QStringLiteral("respitekeeper-pulse.so"),
                        RK_PULSE_CALL_ENTRY);
    } else {
        presence.addMissing(QuietReason::Call,
                            QStringLiteral("no sound server's calls: neither %1 nor %2 exists").arg(socket, pulse));
    }
    if (auto cameras = std::make_unique<CameraWatch>(); cameras->watching())
        presence.addSource(QuietReason::Call, std::move(cameras));
}
