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
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

int trayOwned()
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 2;
    const xcb_atom_t tray = x11Atom(c, "_NET_SYSTEM_TRAY_S0");
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

struct GrabState
{
    bool keyboardFree;
    bool pointerFree;
};

// Whether another client could grab keyboard and pointer now (it lets them go at once).
GrabState probeGrabs(xcb_connection_t* c, xcb_window_t root)
{
    xcb_grab_keyboard_reply_t* keyboard = xcb_grab_keyboard_reply(
        c, xcb_grab_keyboard(c, 0, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr);
    const bool keyboardFree = keyboard && keyboard->status == XCB_GRAB_STATUS_SUCCESS;
    free(keyboard);
    xcb_grab_pointer_reply_t* pointer =
        xcb_grab_pointer_reply(c,
                               xcb_grab_pointer(c, 0, root, XCB_EVENT_MASK_BUTTON_PRESS, XCB_GRAB_MODE_ASYNC,
                                                XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
                               nullptr);
    const bool pointerFree = pointer && pointer->status == XCB_GRAB_STATUS_SUCCESS;
    free(pointer);
    xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
    xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
    xcb_flush(c);
    return {keyboardFree, pointerFree};
}

int grabState()
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 2;
    const GrabState state = probeGrabs(c, x11RootWindow(c));
    std::printf("keyboard=%s pointer=%s\n", state.keyboardFree ? "free" : "held", state.pointerFree ? "free" : "held");
    xcb_disconnect(c);
    return 0;
}

bool isProgramWindow(xcb_connection_t* c, xcb_window_t window)
{
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64), nullptr);
    bool ours = false;
    if (reply) {
        const char* value = static_cast<const char*>(xcb_get_property_value(reply));
        const int length = xcb_get_property_value_length(reply);
        ours = length > 0 && memmem(value, size_t(length), "RespiteKeeper", 13) != nullptr;
    }
    free(reply);
    return ours;
}

// The program's window of the root's size, at the top or one level down (inside a
// window manager's frame); 0 if there is none.
xcb_window_t findFullScreenWindow(xcb_connection_t* c, xcb_window_t parent, uint16_t width, uint16_t height,
                                  int depth = 0)
{
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, parent), nullptr);
    if (!tree)
        return 0;
    xcb_window_t found = 0;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
        xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, children[i]), nullptr);
        if (geometry && geometry->width == width && geometry->height == height && isProgramWindow(c, children[i]))
            found = children[i];
        else if (depth == 0)
            found = findFullScreenWindow(c, children[i], width, height, 1);
        free(geometry);
    }
    free(tree);
    return found;
}

int watchBreaks(const char* stopFile, int seconds)
{
    using Clock = std::chrono::steady_clock;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 2;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const auto start = Clock::now();
    const auto ms = [start] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    };
    xcb_window_t window = 0;
    bool wasUp = false;
    int breaks = 0, faults = 0;
    long long freeSince = -1, heldSinceDown = -1;
    bool faultThisBreak = false;
    while (access(stopFile, F_OK) != 0) {
        if (ms() > seconds * 1000LL) {
            std::printf("FAULT: not done within %d s\n", seconds);
            ++faults;
            break;
        }
        if (!window)
            window = findFullScreenWindow(c, screen->root, screen->width_in_pixels, screen->height_in_pixels);
        bool up = false;
        if (window) {
            xcb_get_window_attributes_reply_t* attributes =
                xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
            if (!attributes)
                window = 0;
            up = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
            free(attributes);
        }
        const GrabState grabs = probeGrabs(c, screen->root);
        const bool held = !grabs.keyboardFree && !grabs.pointerFree;
        const bool anyHeld = !grabs.keyboardFree || !grabs.pointerFree;
        const long long now = ms();
        if (up && !wasUp) {
            ++breaks;
            std::printf("%6lld ms: break screen %d up\n", now, breaks);
            faultThisBreak = false;
        } else if (!up && wasUp) {
            std::printf("%6lld ms: break screen %d down\n", now, breaks);
            heldSinceDown = now;
        }
        if (!up || held)
            freeSince = -1;
        else if (freeSince < 0)
            freeSince = now;
        else if (now - freeSince > 1000 && !faultThisBreak) {
            std::printf("FAULT: break screen %d is up without the hold for over a second\n", breaks);
            ++faults;
            faultThisBreak = true;
        }
        if (!up && heldSinceDown >= 0) {
            if (!anyHeld)
                heldSinceDown = -1;
            else if (now - heldSinceDown > 1000) {
                std::printf("FAULT: input still held over a second after break screen %d\n", breaks);
                ++faults;
                heldSinceDown = -1;
            }
        }
        wasUp = up;
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::printf("watched %d break screens, %d faults\n", breaks, faults);
    xcb_disconnect(c);
    return faults > 0 ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "tray-owned") == 0)
        return trayOwned();
    if (argc >= 2 && std::strcmp(argv[1], "idle") == 0)
        return idle(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "grab-state") == 0)
        return grabState();
    if (argc >= 4 && std::strcmp(argv[1], "watch-breaks") == 0)
        return watchBreaks(argv[2], std::atoi(argv[3]));
    std::fprintf(stderr, "usage: rk-x11probe tray-owned|idle|grab-state|watch-breaks STOPFILE SECONDS\n");
    return 2;
}
