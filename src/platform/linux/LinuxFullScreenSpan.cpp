#include "X11Connection.h"
#include "platform/FullScreenSpan.h"

#include <QRect>
#include <QVector>
#include <QWidget>

#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xinerama.h>

namespace {

// The monitors in the numbering the window manager uses for the hint.
QVector<QRect> monitors(xcb_connection_t* connection)
{
    QVector<QRect> result;
    xcb_xinerama_query_screens_reply_t* reply =
        xcb_xinerama_query_screens_reply(connection, xcb_xinerama_query_screens(connection), nullptr);
    if (!reply)
        return result;
    const xcb_xinerama_screen_info_t* info = xcb_xinerama_query_screens_screen_info(reply);
    for (int i = 0; i < xcb_xinerama_query_screens_screen_info_length(reply); ++i)
        result.append(QRect(info[i].x_org, info[i].y_org, info[i].width, info[i].height));
    free(reply);
    return result;
}

} // namespace

void spanFullScreen(const QWidget* window, const QRect& area)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection || !window || !window->internalWinId())
        return;
    const QVector<QRect> screens = monitors(connection);
    // The monitors that reach furthest up, down, left and right within the area.
    int top = -1, bottom = -1, left = -1, right = -1;
    for (int i = 0; i < screens.size(); ++i) {
        const QRect& s = screens.at(i);
        if (!area.contains(s))
            continue;
        if (top < 0 || s.top() < screens.at(top).top())
            top = i;
        if (bottom < 0 || s.bottom() > screens.at(bottom).bottom())
            bottom = i;
        if (left < 0 || s.left() < screens.at(left).left())
            left = i;
        if (right < 0 || s.right() > screens.at(right).right())
            right = i;
    }
    if (top < 0)
        return;
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(window->internalWinId());
    event.type = x11Atom(connection, "_NET_WM_FULLSCREEN_MONITORS");
    event.data.data32[0] = uint32_t(top);
    event.data.data32[1] = uint32_t(bottom);
    event.data.data32[2] = uint32_t(left);
    event.data.data32[3] = uint32_t(right);
    event.data.data32[4] = 1; // a normal application asks
    sendToWindowManager(connection, &event);
}
