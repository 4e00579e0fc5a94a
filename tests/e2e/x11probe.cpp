// Small X11 questions for the end-to-end tests and scripts/run:
//   rk-x11probe tray-owned   exit 0 when a system tray owns _NET_SYSTEM_TRAY_S0
//   rk-x11probe idle         print the program's idle reading in ms, or "unknown"
#include "platform/LastInputSource.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {

xcb_atom_t internAtom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, strlen(name), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return atom;
}

int trayOwned()
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 2;
    const xcb_atom_t tray = internAtom(c, "_NET_SYSTEM_TRAY_S0");
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, tray), nullptr);
    const bool owned = reply && reply->owner != XCB_WINDOW_NONE;
    free(reply);
    xcb_disconnect(c);
    return owned ? 0 : 1;
}

int idle(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    const std::optional<qint64> ms = createLastInputSource()->millisecondsSinceLastInput();
    if (ms)
        std::printf("%lld\n", static_cast<long long>(*ms));
    else
        std::printf("unknown\n");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "tray-owned") == 0)
        return trayOwned();
    if (argc >= 2 && std::strcmp(argv[1], "idle") == 0)
        return idle(argc, argv);
    std::fprintf(stderr, "usage: rk-x11probe tray-owned|idle\n");
    return 2;
}
