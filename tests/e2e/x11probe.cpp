// Small X11 questions for the end-to-end tests and scripts/run:
//   rk-x11probe tray-owned   exit 0 when a system tray owns _NET_SYSTEM_TRAY_S0
//   rk-x11probe idle-notices MS SECONDS
//                            for SECONDS, print "away" and "back" as the program's idle
//                            source, set to MS, reports them ("lost" when it fails);
//                            runs on X11 or Wayland, as Qt does
//   rk-x11probe presence MS SECONDS
//                            for SECONDS, print the program's presence as it changes,
//                            with the user away once idle for MS: "away: REASON" and
//                            "quiet: REASON" lines (REASON "at the screen", "free" when
//                            none), first the sources found ("source: ..."); sources
//                            that nothing tells are asked every 5 s
//   rk-x11probe full-screen WINDOW on|off
//                            ask the window manager to make the window full screen,
//                            or no longer (_NET_WM_STATE)
//   rk-x11probe grab-state   print "keyboard=free|held pointer=free|held": whether
//                            another client could grab them now (its grabs end with it)
//   rk-x11probe flood PATH COUNT SECONDS
//                            open COUNT connections to the Unix socket PATH that send
//                            nothing, print "open N" and keep them for SECONDS
//   rk-x11probe idle-time    print the X server's idle time in ms
//   rk-x11probe idle-answer MS
//                            print the idle time in ms that the program's idle source,
//                            set to MS, answers once it has its first notice (until
//                            then it answers MS - 1), and the X server's then
#include "platform/LastInputSource.h"
#include "platform/Presence.h"
#include "platform/linux/X11Connection.h"

#include <QGuiApplication>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/screensaver.h>
#include <xcb/xcb.h>

static long long serverIdleMs(xcb_connection_t* c)
{
    auto* info = xcb_screensaver_query_info_reply(c, xcb_screensaver_query_info(c, x11RootWindow(c)), nullptr);
    const long long idle = info ? info->ms_since_user_input : -1;
    std::free(info);
    return idle;
}

int main(int argc, char** argv)
{
    const std::string mode = argc >= 2 ? argv[1] : "";
    if (mode == "idle-answer" && argc == 3) {
        QGuiApplication app(argc, argv);
        const qint64 awayAfterMs = std::atoll(argv[2]);
        const std::unique_ptr<LastInputSource> source = createLastInputSource(awayAfterMs);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            const qint64 idle = source->millisecondsSinceLastInput().value_or(-1);
            if (idle != awayAfterMs - 1)
                std::printf("%lld %lld\n", idle, serverIdleMs(x11Connection())), app.quit();
        });
        poll.start(10);
        QTimer::singleShot(10000, &app, [] { std::exit(1); });
        return app.exec();
    }
    if (mode == "idle-notices" && argc == 4) {
        QGuiApplication app(argc, argv);
        const qint64 awayAfterMs = std::atoll(argv[2]);
        const std::unique_ptr<LastInputSource> source = createLastInputSource(awayAfterMs);
        // The source answers from its notices: asking it often costs nothing.
        QTimer poll;
        std::string last;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            const std::optional<qint64> idle = source->millisecondsSinceLastInput();
            const std::string now = !idle ? "lost" : *idle >= awayAfterMs ? "away" : "back";
            if (now != last)
                std::printf("%s\n", now.c_str()), std::fflush(stdout);
            last = now;
        });
        poll.start(50);
        QTimer::singleShot(std::atoi(argv[3]) * 1000, &app, &QCoreApplication::quit);
        return app.exec();
    }
    if (mode == "presence" && argc == 4) {
        QGuiApplication app(argc, argv);
        const std::unique_ptr<Presence> presence = createPresence(std::atoll(argv[2]));
        const auto say = [](const QString& line) { std::printf("%s\n", qPrintable(line)), std::fflush(stdout); };
        for (const QString& line : presence->descriptions())
            say(QStringLiteral("source: ") + line);
        const auto sayAway = [&](AwayReason reason) { say(QStringLiteral("away: ") + Presence::name(reason)); };
        const auto sayQuiet = [&](QuietReason reason) { say(QStringLiteral("quiet: ") + Presence::name(reason)); };
        sayAway(presence->away());
        sayQuiet(presence->quiet());
        QObject::connect(presence.get(), &Presence::awayChanged, sayAway);
        QObject::connect(presence.get(), &Presence::quietChanged, sayQuiet);
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, presence.get(), &Presence::look);
        look.start(5000);
        QTimer::singleShot(std::atoi(argv[3]) * 1000, &app, &QCoreApplication::quit);
        return app.exec();
    }
    if (mode == "full-screen" && argc == 4) {
        QGuiApplication app(argc, argv);
        xcb_connection_t* c = x11Connection();
        xcb_client_message_event_t event = {};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = xcb_window_t(std::strtoul(argv[2], nullptr, 0));
        event.type = x11Atom(c, "_NET_WM_STATE");
        event.data.data32[0] = std::strcmp(argv[3], "on") == 0 ? 1 : 0; // _NET_WM_STATE_ADD or _REMOVE
        event.data.data32[1] = x11Atom(c, "_NET_WM_STATE_FULLSCREEN");
        event.data.data32[3] = 1; // from a normal program
        sendToWindowManager(c, &event);
        return 0;
    }
    if (mode == "flood" && argc == 5) {
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, argv[2], sizeof(address.sun_path) - 1);
        int open = 0;
        for (int i = std::atoi(argv[3]); i > 0; --i) {
            const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
            open += fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
        }
        std::printf("open %d\n", open), std::fflush(stdout);
        sleep(unsigned(std::atoi(argv[4])));
        return 0;
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 2;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    if (mode == "tray-owned") {
        auto* owner =
            xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, x11Atom(c, "_NET_SYSTEM_TRAY_S0")), nullptr);
        const bool owned = owner && owner->owner != XCB_WINDOW_NONE;
        std::free(owner);
        return owned ? 0 : 1;
    }
    if (mode == "idle-time") {
        std::printf("%lld\n", serverIdleMs(c));
        return 0;
    }
    if (mode == "grab-state") {
        const auto async = XCB_GRAB_MODE_ASYNC;
        auto* keyboard =
            xcb_grab_keyboard_reply(c, xcb_grab_keyboard(c, 0, root, XCB_CURRENT_TIME, async, async), nullptr);
        auto* pointer = xcb_grab_pointer_reply(
            c, xcb_grab_pointer(c, 0, root, 0, async, async, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME), nullptr);
        const auto state = [](bool free) { return free ? "free" : "held"; };
        std::printf("keyboard=%s pointer=%s\n", state(keyboard && keyboard->status == XCB_GRAB_STATUS_SUCCESS),
                    state(pointer && pointer->status == XCB_GRAB_STATUS_SUCCESS));
        std::free(keyboard);
        std::free(pointer);
        xcb_disconnect(c);
        return 0;
    }
    std::fprintf(
        stderr,
        "usage: rk-x11probe tray-owned|idle-notices|presence|full-screen|idle-time|idle-answer|grab-state|flood\n");
    return 2;
}
