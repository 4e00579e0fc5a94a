// Small X11 questions for the end-to-end tests and scripts/run:
//   rk-x11probe tray-owned   exit 0 when a system tray owns _NET_SYSTEM_TRAY_S0
//   rk-x11probe idle         print the program's idle reading in ms, or "unknown"
//   rk-x11probe grab-state   print "keyboard=free|held pointer=free|held": whether
//                            another client could grab them now
#include "platform/LastInputSource.h"
#include "platform/linux/X11Connection.h"

#include <QGuiApplication>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

namespace {

xcb_connection_t* c = nullptr;
xcb_screen_t* screen = nullptr;

// An xcb reply, freed when it goes.
template <typename R> std::unique_ptr<R, void (*)(void*)> own(R* reply)
{
    return {reply, &free};
}

// Whether another client could grab keyboard and pointer now (it lets them go at once).
std::pair<bool, bool> freeToGrab()
{
    const auto keyboard = own(xcb_grab_keyboard_reply(
        c, xcb_grab_keyboard(c, 0, screen->root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr));
    const auto pointer = own(
        xcb_grab_pointer_reply(c,
                               xcb_grab_pointer(c, 0, screen->root, XCB_EVENT_MASK_BUTTON_PRESS, XCB_GRAB_MODE_ASYNC,
                                                XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
                               nullptr));
    xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
    xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
    xcb_flush(c);
    return {keyboard && keyboard->status == XCB_GRAB_STATUS_SUCCESS,
            pointer && pointer->status == XCB_GRAB_STATUS_SUCCESS};
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc >= 2 ? argv[1] : "";
    if (mode == "idle") {
        qputenv("QT_QPA_PLATFORM", "xcb");
        QGuiApplication app(argc, argv);
        const std::optional<qint64> idle = createLastInputSource()->millisecondsSinceLastInput();
        std::printf("%s\n", idle ? std::to_string(*idle).c_str() : "unknown");
        return 0;
    }
    c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 2;
    screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (mode == "tray-owned") {
        const auto owner = own(
            xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, x11Atom(c, "_NET_SYSTEM_TRAY_S0")), nullptr));
        return owner && owner->owner != XCB_WINDOW_NONE ? 0 : 1;
    }
    if (mode == "grab-state") {
        const auto [keyboardFree, pointerFree] = freeToGrab();
        std::printf("keyboard=%s pointer=%s\n", keyboardFree ? "free" : "held", pointerFree ? "free" : "held");
        return 0;
    }
    std::fprintf(stderr, "usage: rk-x11probe tray-owned|idle|grab-state\n");
    return 2;
}
