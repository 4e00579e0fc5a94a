// Small X11 questions for the end-to-end tests and scripts/run:
//   rk-x11probe tray-owned   exit 0 when a system tray owns _NET_SYSTEM_TRAY_S0
//   rk-x11probe idle         print the program's idle reading in ms, or "unknown"
//   rk-x11probe grab-state   print "keyboard=free|held pointer=free|held": whether
//                            another client could grab them now
//   rk-x11probe watch-breaks STOPFILE SECONDS
//                            watch the program's full-screen break window and the
//                            input until STOPFILE exists: while the window is up the
//                            input must be held, and after it goes the input must be
//                            free, each within one second; prints each time the window
//                            comes and goes and every fault, exits 1 on any fault or
//                            when STOPFILE does not come within SECONDS
#include "platform/LastInputSource.h"
#include "platform/linux/X11Connection.h"

#include <QGuiApplication>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <unistd.h>
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

// The program's window of the root's size, at the top or one level down (inside a
// window manager's frame); 0 if there is none.
xcb_window_t fullScreenWindow(xcb_window_t parent, int depth = 0)
{
    const auto tree = own(xcb_query_tree_reply(c, xcb_query_tree(c, parent), nullptr));
    for (int i = 0; tree && i < xcb_query_tree_children_length(tree.get()); ++i) {
        const xcb_window_t child = xcb_query_tree_children(tree.get())[i];
        const auto geometry = own(xcb_get_geometry_reply(c, xcb_get_geometry(c, child), nullptr));
        const auto wmClass = own(xcb_get_property_reply(
            c, xcb_get_property(c, 0, child, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64), nullptr));
        if (geometry && geometry->width == screen->width_in_pixels && geometry->height == screen->height_in_pixels &&
            wmClass && xcb_get_property_value_length(wmClass.get()) > 0 &&
            memmem(xcb_get_property_value(wmClass.get()), size_t(xcb_get_property_value_length(wmClass.get())),
                   "RespiteKeeper", 13))
            return child;
        if (const xcb_window_t found = depth == 0 ? fullScreenWindow(child, 1) : 0)
            return found;
    }
    return 0;
}

bool mapped(xcb_window_t window)
{
    const auto attributes = own(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

int watchBreaks(const char* stopFile, int seconds)
{
    const auto start = std::chrono::steady_clock::now();
    const auto ms = [start] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    };
    bool wasUp = false, faultThisBreak = false;
    int breaks = 0, faults = 0;
    long long freeSince = -1, downSince = -1;
    for (xcb_window_t window = 0; access(stopFile, F_OK) != 0;
         std::this_thread::sleep_for(std::chrono::milliseconds(50))) {
        const long long now = ms();
        if (now > seconds * 1000LL) {
            std::printf("FAULT: not done within %d s\n", seconds);
            ++faults;
            break;
        }
        window = window && mapped(window) ? window : fullScreenWindow(screen->root);
        const bool up = window && mapped(window);
        const auto [keyboardFree, pointerFree] = freeToGrab();
        if (up != wasUp)
            std::printf("%6lld ms: break screen %d %s\n", now, breaks += up, up ? "up" : "down");
        faultThisBreak &= !(up && !wasUp);
        downSince = up ? -1 : wasUp ? now : downSince;
        freeSince = !up || (!keyboardFree && !pointerFree) ? -1 : freeSince < 0 ? now : freeSince;
        if (freeSince >= 0 && now - freeSince > 1000 && !faultThisBreak) {
            std::printf("FAULT: break screen %d is up without the hold for over a second\n", breaks);
            faultThisBreak = ++faults;
        }
        if (downSince >= 0 && keyboardFree && pointerFree)
            downSince = -1;
        else if (downSince >= 0 && now - downSince > 1000) {
            std::printf("FAULT: input still held over a second after break screen %d\n", breaks);
            downSince = -1;
            ++faults;
        }
        wasUp = up;
        std::fflush(stdout);
    }
    std::printf("watched %d break screens, %d faults\n", breaks, faults);
    return faults > 0 ? 1 : 0;
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
    if (mode == "watch-breaks" && argc >= 4)
        return watchBreaks(argv[2], std::atoi(argv[3]));
    std::fprintf(stderr, "usage: rk-x11probe tray-owned|idle|grab-state|watch-breaks STOPFILE SECONDS\n");
    return 2;
}
