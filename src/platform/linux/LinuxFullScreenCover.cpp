#include "X11Connection.h"
#include "platform/FullScreenCover.h"

#include <QColor>
#include <QRect>
#include <QVector>
#include <QWidget>
#include <QtAlgorithms>

#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xinerama.h>

namespace {

// The monitors in the numbering the window manager uses for the spanning hint.
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

// The 32-bit values of a window property of the given type (empty when it is not set).
QVector<uint32_t> property32(xcb_connection_t* connection, xcb_window_t window, const char* name, xcb_atom_t type)
{
    QVector<uint32_t> values;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, x11Atom(connection, name), type, 0, 4096), nullptr);
    if (reply && reply->format == 32) {
        const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
        values = QVector<uint32_t>(data, data + xcb_get_property_value_length(reply) / 4);
    }
    free(reply);
    return values;
}

// Whether a window manager runs that can be told to stretch a full-screen window
// over several monitors. A running manager names a window of its own on the root
// window, and that window names itself.
bool windowManagerSpansMonitors(xcb_connection_t* connection)
{
    const QVector<uint32_t> check =
        property32(connection, x11RootWindow(connection), "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW);
    if (check.isEmpty() || property32(connection, check.first(), "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW) != check)
        return false;
    return property32(connection, x11RootWindow(connection), "_NET_SUPPORTED", XCB_ATOM_ATOM)
        .contains(x11Atom(connection, "_NET_WM_FULLSCREEN_MONITORS"));
}

// A colour component in the bits of a visual's mask.
uint32_t component(int value, uint32_t mask)
{
    if (!mask)
        return 0;
    const uint32_t shift = qCountTrailingZeroBits(mask);
    const uint32_t maximum = mask >> shift;
    return ((uint32_t(value) * maximum + 127) / 255) << shift;
}

// The pixel value of the colour in the window's visual; bits outside the colour
// masks (the alpha of a 32-bit visual) are set, for an opaque colour.
uint32_t pixelOf(xcb_connection_t* connection, xcb_visualid_t visual, const QColor& colour)
{
    for (auto screen = xcb_setup_roots_iterator(xcb_get_setup(connection)); screen.rem; xcb_screen_next(&screen)) {
        for (auto depth = xcb_screen_allowed_depths_iterator(screen.data); depth.rem; xcb_depth_next(&depth)) {
            for (auto type = xcb_depth_visuals_iterator(depth.data); type.rem; xcb_visualtype_next(&type)) {
                const xcb_visualtype_t* v = type.data;
                if (v->visual_id != visual)
                    continue;
                const uint32_t masks = v->red_mask | v->green_mask | v->blue_mask;
                const uint32_t depthBits = depth.data->depth >= 32 ? ~0u : (1u << depth.data->depth) - 1;
                return component(colour.red(), v->red_mask) | component(colour.green(), v->green_mask) |
                       component(colour.blue(), v->blue_mask) | (depthBits & ~masks);
            }
        }
    }
    return colour.rgb() & 0xffffff;
}

// Asks the window manager to stretch a full-screen window over the monitors that
// reach furthest up, down, left and right within the area.
void requestSpan(xcb_connection_t* connection, xcb_window_t window, const QRect& area)
{
    const QVector<QRect> screens = monitors(connection);
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
    event.window = window;
    event.type = x11Atom(connection, "_NET_WM_FULLSCREEN_MONITORS");
    event.data.data32[0] = uint32_t(top);
    event.data.data32[1] = uint32_t(bottom);
    event.data.data32[2] = uint32_t(left);
    event.data.data32[3] = uint32_t(right);
    event.data.data32[4] = 1; // a normal application asks
    sendToWindowManager(connection, &event);
}

} // namespace

bool oneWindowCoversMonitors()
{
    return !onWayland();
}

Qt::WindowFlags coverWindowFlags(const QRect& area)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return {};
    // One monitor (or none reported: the whole screen is one) needs no spanning.
    const QVector<QRect> screens = monitors(connection);
    if (screens.size() <= 1 || screens.contains(area) || windowManagerSpansMonitors(connection))
        return {};
    // No window manager refits a window that it does not manage; the input hold
    // grabs keyboard and pointer all the same.
    return Qt::X11BypassWindowManagerHint;
}

QString coverDescription()
{
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return QStringLiteral("one full-screen window, placed by the compositor");
    return QStringLiteral("one window over %1 monitor(s); the window manager %2 _NET_WM_FULLSCREEN_MONITORS")
        .arg(monitors(connection).size())
        .arg(windowManagerSpansMonitors(connection) ? QStringLiteral("offers")
                                                    : QStringLiteral("does not offer (override-redirect)"));
}

void setNativeBackground(QWidget* window, const QColor& colour)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection || !window)
        return;
    const xcb_window_t id = xcb_window_t(window->winId());
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id), nullptr);
    if (!attributes)
        return;
    const uint32_t pixel = pixelOf(connection, attributes->visual, colour);
    free(attributes);
    xcb_change_window_attributes(connection, id, XCB_CW_BACK_PIXEL, &pixel);
    xcb_flush(connection);
}

bool coverArea(const QWidget* window, const QRect& area)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection || !window || !window->internalWinId())
        return true;
    const xcb_window_t id = xcb_window_t(window->internalWinId());
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr);
    xcb_translate_coordinates_reply_t* origin = xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, id, x11RootWindow(connection), 0, 0), nullptr);
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id), nullptr);
    const bool known = geometry && origin && attributes;
    const bool covers = known && QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height) == area;
    const bool unmanaged = known && attributes->override_redirect;
    free(geometry);
    free(origin);
    free(attributes);
    if (!known || covers)
        return true;
    if (unmanaged) {
        const uint32_t values[] = {uint32_t(area.x()), uint32_t(area.y()), uint32_t(area.width()),
                                   uint32_t(area.height())};
        xcb_configure_window(
            connection, id,
            XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
        xcb_flush(connection);
    } else {
        requestSpan(connection, id, area);
    }
    return false;
}
