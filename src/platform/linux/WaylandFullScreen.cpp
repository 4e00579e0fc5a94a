#include "WaylandFullScreen.h"
#include "WaylandModule.h"

void addWaylandFullScreen(Presence& presence)
{
    const auto entry = reinterpret_cast<WaylandFullScreenSourceEntry>(waylandModuleEntry(RK_WAYLAND_FULLSCREEN_ENTRY));
    if (std::unique_ptr<PresenceSource> source{entry ? entry() : nullptr}) {
        presence.addSource(QuietReason::FullScreen, std::move(source));
        return;
    }
    presence.addMissing(QuietReason::FullScreen, waylandModuleLoaded()
                                                     ? QStringLiteral("the compositor offers neither "
                                                                      "zwlr_foreign_toplevel_manager_v1 nor "
                                                                      "org_kde_plasma_window_management")
                                                     : QStringLiteral("the program's Wayland module is not loaded"));
}
