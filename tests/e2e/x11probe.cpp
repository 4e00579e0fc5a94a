// Small X11 questions for the end-to-end tests and scripts/run:
//   rk-x11probe tray-owned   exit 0 when a system tray owns _NET_SYSTEM_TRAY_S0
//   rk-x11probe idle         print the program's idle reading in ms, or "unknown"
//   rk-x11probe grab-state   print "keyboard=free|held pointer=free|held": whether
//                            another client could grab them now
//   rk-x11probe close ID     ask a window to close, as its title bar's close button does
//   rk-x11probe record       open a small window, print its id, then one line per
//                            key press ("key N") and button press ("button N")
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

int grabState()
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 2;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
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
    std::printf("keyboard=%s pointer=%s\n", keyboardFree ? "free" : "held", pointerFree ? "free" : "held");
    xcb_disconnect(c);
    return 0;
}

int closeWindow(const char* id)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 2;
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(std::strtoul(id, nullptr, 0));
    event.type = internAtom(c, "WM_PROTOCOLS");
    event.data.data32[0] = internAtom(c, "WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, event.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    xcb_flush(c);
    xcb_disconnect(c);
    return 0;
}

int record()
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 2;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t values[] = {screen->white_pixel,
                               XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_EXPOSURE};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 40, 40, 320, 200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const char title[] = "rk-recorder";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, sizeof(title) - 1,
                        title);
    xcb_map_window(c, window);
    xcb_flush(c);
    std::printf("%u\n", window);
    std::fflush(stdout);
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_KEY_PRESS)
            std::printf("key %u\n", reinterpret_cast<xcb_key_press_event_t*>(event)->detail);
        else if (type == XCB_BUTTON_PRESS)
            std::printf("button %u\n", reinterpret_cast<xcb_button_press_event_t*>(event)->detail);
        std::fflush(stdout);
        free(event);
    }
    return 0;
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
    if (argc >= 3 && std::strcmp(argv[1], "close") == 0)
        return closeWindow(argv[2]);
    if (argc >= 2 && std::strcmp(argv[1], "record") == 0)
        return record();
    std::fprintf(stderr, "usage: rk-x11probe tray-owned|idle|grab-state|close ID|record\n");
    return 2;
}
