#include "WaylandModule.h"
#include "X11Connection.h"
#include "platform/HangWatchdog.h"
#include "platform/InputHold.h"

#include <QDebug>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

namespace {

Q_LOGGING_CATEGORY(lcHold, "respitekeeper.hold", QtInfoMsg)

// What every hold here shares: while the hold is wanted it is taken again every
// quarter second (it can be lost without notice), it is let go on every way out,
// and a program that hangs while holding is ended by the watchdog.
class RenewedInputHold : public InputHold
{
public:
    RenewedInputHold()
    {
        m_renew.setInterval(RenewMs);
        QObject::connect(&m_renew, &QTimer::timeout, [this] { renew(); });
    }

    void setHold(QWidget* window, bool on) final
    {
        release();
        if (!on || !window)
            return;
        m_window = window;
        m_wanted = true;
        m_watchdog.arm();
        renew();
        m_renew.start();
    }

protected:
    // Takes the hold for the window (again); called at every renewal.
    virtual void take(QWidget* window) = 0;
    // Lets go of what take() got.
    virtual void letGo() = 0;
    QWidget* heldWindow() const { return m_window; }

    // Also for the subclasses' destructors: letGo() cannot be reached from this one.
    void release()
    {
        m_renew.stop();
        m_watchdog.disarm();
        if (std::exchange(m_wanted, false))
            letGo();
        m_window = nullptr;
    }

private:
    static constexpr int RenewMs = 250;

    void renew()
    {
        if (m_window)
            take(m_window);
        else
            release();
    }

    QPointer<QWidget> m_window;
    QTimer m_renew;
    HangWatchdog m_watchdog;
    bool m_wanted = false;
};

// X11: an active keyboard grab and a pointer grab confined to the break window.
// Events for the program's own windows still arrive as usual (owner events), so the
// break screen's button works; no other client gets a key or a click. The X server
// drops both grabs when the program's connection ends, so a crash leaves nothing
// held. The toolkit drops the program's grabs when one of its popups closes, and a
// window that was just shown is not viewable yet: hence the renewals; taking a grab
// this client already holds costs one round trip and changes nothing.
class X11InputHold : public RenewedInputHold
{
public:
    explicit X11InputHold(xcb_connection_t* connection)
        : m_connection(connection)
    {}
    ~X11InputHold() override { release(); }

    bool canHold() const override { return true; }
    QString description() const override { return QStringLiteral("X11 keyboard and pointer grabs"); }
    bool isHeld() const override { return m_held; }

protected:
    void take(QWidget* holder) override
    {
        const xcb_window_t window = xcb_window_t(holder->winId());
        xcb_grab_keyboard_reply_t* keyboard = xcb_grab_keyboard_reply(
            m_connection,
            xcb_grab_keyboard(m_connection, 1, window, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
            nullptr);
        const bool keyboardHeld = keyboard && keyboard->status == XCB_GRAB_STATUS_SUCCESS;
        free(keyboard);
        bool pointerHeld = false;
        if (keyboardHeld) {
            const uint16_t events = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                    XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_ENTER_WINDOW |
                                    XCB_EVENT_MASK_LEAVE_WINDOW;
            xcb_grab_pointer_reply_t* pointer =
                xcb_grab_pointer_reply(m_connection,
                                       xcb_grab_pointer(m_connection, 1, window, events, XCB_GRAB_MODE_ASYNC,
                                                        XCB_GRAB_MODE_ASYNC, window, XCB_NONE, XCB_CURRENT_TIME),
                                       nullptr);
            pointerHeld = pointer && pointer->status == XCB_GRAB_STATUS_SUCCESS;
            free(pointer);
        }
        // Both or neither: never keep the keyboard without the pointer.
        if (keyboardHeld && !pointerHeld) {
            xcb_ungrab_keyboard(m_connection, XCB_CURRENT_TIME);
            xcb_flush(m_connection);
        }
        m_held = keyboardHeld && pointerHeld;
    }

    void letGo() override
    {
        xcb_ungrab_pointer(m_connection, XCB_CURRENT_TIME);
        xcb_ungrab_keyboard(m_connection, XCB_CURRENT_TIME);
        xcb_flush(m_connection);
        m_held = false;
    }

private:
    xcb_connection_t* m_connection;
    bool m_held = false;
};

// Wayland lets no client grab the input. What a compositor may offer instead: its
// shortcuts (window switching, workspaces, launchers) go to the break screen while
// it has the keyboard focus. So the break screen asks for that, and takes the focus
// back when something else took it; the pointer stays free, and a click on another
// program's window is undone at the next renewal. The compositor drops the
// inhibition with the program's connection, so a crash leaves nothing held.
class WaylandInputHold : public RenewedInputHold
{
public:
    explicit WaylandInputHold(std::unique_ptr<ShortcutsInhibitor> inhibitor)
        : m_inhibitor(std::move(inhibitor))
    {}
    ~WaylandInputHold() override { release(); }

    bool canHold() const override { return true; }
    QString description() const override
    {
        return QStringLiteral("the compositor's shortcuts inhibited on the break screen "
                              "(keyboard-shortcuts-inhibit-unstable-v1), the focus taken back; the pointer is free");
    }
    bool isHeld() const override { return heldWindow() && m_inhibitor->isActive(); }

protected:
    void take(QWidget* window) override
    {
        m_inhibitor->inhibit(window->windowHandle());
        if (m_inhibitor->isActive() != m_toldActive) {
            m_toldActive = !m_toldActive;
            qCDebug(lcHold) << (m_toldActive ? "the compositor's shortcuts go to the break screen"
                                             : "the compositor's shortcuts are its own again");
        }
        // Taken back: the screen (a compositor ends full screen when it focuses another
        // window) and the focus, which the compositor gives as its policy allows. The
        // break screen's own button stays in reach: it is on this window.
        if (!window->isVisible())
            return;
        if (!(window->windowState() & Qt::WindowFullScreen))
            window->setWindowState(window->windowState() | Qt::WindowFullScreen);
        if (!window->isActiveWindow())
            window->activateWindow();
    }

    void letGo() override
    {
        m_inhibitor->inhibit(nullptr);
        if (std::exchange(m_toldActive, false))
            qCDebug(lcHold) << "the compositor's shortcuts are its own again";
    }

private:
    std::unique_ptr<ShortcutsInhibitor> m_inhibitor;
    bool m_toldActive = false;
};

// Displays without X11 whose compositor offers no inhibition: the break screen
// still covers the screens, but the input cannot be held.
class NoInputHold : public InputHold
{
public:
    explicit NoInputHold(QString why)
        : m_why(std::move(why))
    {}
    bool canHold() const override { return false; }
    QString description() const override { return QStringLiteral("none: ") + m_why; }
    bool isHeld() const override { return false; }
    void setHold(QWidget*, bool on) override
    {
        if (on && !m_told) {
            m_told = true;
            qInfo("The break screen does not hold keyboard and mouse: %s", qPrintable(m_why));
        }
    }

private:
    QString m_why;
    bool m_told = false;
};

} // namespace

std::unique_ptr<InputHold> createInputHold()
{
    if (xcb_connection_t* connection = x11Connection())
        return std::make_unique<X11InputHold>(connection);
    if (onWayland()) {
        auto entry = reinterpret_cast<WaylandShortcutsInhibitorEntry>(waylandModuleEntry(RK_WAYLAND_SHORTCUTS_ENTRY));
        if (ShortcutsInhibitor* inhibitor = entry ? entry() : nullptr)
            return std::make_unique<WaylandInputHold>(std::unique_ptr<ShortcutsInhibitor>(inhibitor));
        return std::make_unique<NoInputHold>(
            waylandModuleLoaded() ? QStringLiteral("the compositor offers no keyboard-shortcuts-inhibit-unstable-v1")
                                  : QStringLiteral("the program's Wayland module is not loaded"));
    }
    return std::make_unique<NoInputHold>(QStringLiteral("the %1 platform lets no program hold keyboard and pointer")
                                             .arg(QGuiApplication::platformName()));
}
