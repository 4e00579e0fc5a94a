#include "X11FullScreenSource.h"

#include "X11Connection.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWindow>

#include <algorithm>
#include <cstdlib>

namespace {

class X11FullScreenSource : public PresenceSource, public QAbstractNativeEventFilter
{
public:
    X11FullScreenSource(xcb_connection_t* connection, xcb_atom_t activeWindow)
        : m_connection(connection)
        , m_root(x11RootWindow(connection))
        , m_activeAtom(activeWindow)
        , m_stateAtom(x11Atom(connection, "_NET_WM_STATE"))
        , m_fullScreenAtom(x11Atom(connection, "_NET_WM_STATE_FULLSCREEN"))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
        listenTo(m_root, true);
        readActiveWindow();
    }

    ~X11FullScreenSource() override
    {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        listenTo(m_active, false);
        xcb_flush(m_connection);
    }

    QString description() const override
    {
        return QStringLiteral("the active window's _NET_WM_STATE_FULLSCREEN (X11 property events)");
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (property->window == m_root && property->atom == m_activeAtom)
            readActiveWindow();
        else if (property->window == m_active && m_active != m_root && property->atom == m_stateAtom)
            readState();
        // Qt may want the root window's events too.
        return false;
    }

private:
    // Adds or takes back this client's property events on a window, keeping the
    // other events the client (Qt, for its own windows) listens to.
    void listenTo(xcb_window_t window, bool on)
    {
        if (window == XCB_NONE || (window != m_root && isOwn(window)))
            return;
        xcb_get_window_attributes_reply_t* attributes =
            xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window), nullptr);
        if (!attributes)
            return;
        uint32_t mask = attributes->your_event_mask;
        std::free(attributes);
        mask = on ? mask | XCB_EVENT_MASK_PROPERTY_CHANGE : mask & ~uint32_t(XCB_EVENT_MASK_PROPERTY_CHANGE);
        // A window that is gone by now answers with an error, which is of no interest.
        xcb_discard_reply(
            m_connection,
            xcb_change_window_attributes_checked(m_connection, window, XCB_CW_EVENT_MASK, &mask).sequence);
    }

    bool isOwn(xcb_window_t window) const
    {
        const QWindowList windows = QGuiApplication::allWindows();
        return std::any_of(windows.cbegin(), windows.cend(),
                           [window](const QWindow* own) { return own->handle() && own->winId() == window; });
    }

    void readActiveWindow()
    {
        xcb_window_t active = XCB_NONE;
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, m_root, m_activeAtom, XCB_ATOM_WINDOW, 0, 1), nullptr);
        if (reply && xcb_get_property_value_length(reply) >= int(sizeof(xcb_window_t)))
            active = *static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
        std::free(reply);
        if (active != m_active) {
            listenTo(m_active, false);
            m_active = active;
            listenTo(m_active, true);
            xcb_flush(m_connection);
        }
        readState();
    }

    void readState()
    {
        bool fullScreen = false;
        if (m_active != XCB_NONE && !isOwn(m_active)) {
            xcb_get_property_reply_t* reply = xcb_get_property_reply(
                m_connection, xcb_get_property(m_connection, 0, m_active, m_stateAtom, XCB_ATOM_ATOM, 0, 64), nullptr);
            if (reply) {
                const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
                const int count = xcb_get_property_value_length(reply) / int(sizeof(xcb_atom_t));
                fullScreen = std::find(atoms, atoms + count, m_fullScreenAtom) != atoms + count;
            }
            std::free(reply);
        }
        setOn(fullScreen);
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root;
    xcb_atom_t m_activeAtom;
    xcb_atom_t m_stateAtom;
    xcb_atom_t m_fullScreenAtom;
    xcb_window_t m_active = XCB_NONE;
};

} // namespace

std::unique_ptr<PresenceSource> createX11FullScreenSource(xcb_connection_t* connection)
{
    // A window manager that starts later sets the property then, which the root
    // window's events tell.
    const xcb_atom_t activeWindow = x11Atom(connection, "_NET_ACTIVE_WINDOW");
    if (activeWindow == XCB_ATOM_NONE)
        return nullptr;
    return std::make_unique<X11FullScreenSource>(connection, activeWindow);
}
