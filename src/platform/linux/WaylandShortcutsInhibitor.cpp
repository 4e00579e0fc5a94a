#include "WaylandGlobals.h"
#include "WaylandModule.h"
#include "qwayland-keyboard-shortcuts-inhibit-unstable-v1.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QWindow>
#include <QtWaylandClient/QWaylandClientExtensionTemplate>
#include <qpa/qplatformnativeinterface.h>

namespace {

class InhibitManager : public QWaylandClientExtensionTemplate<InhibitManager>,
                       public QtWayland::zwp_keyboard_shortcuts_inhibit_manager_v1
{
public:
    InhibitManager()
        : QWaylandClientExtensionTemplate(1)
    {}
    ~InhibitManager() override
    {
        if (isInitialized())
            destroy();
    }
};

class Inhibition : public QtWayland::zwp_keyboard_shortcuts_inhibitor_v1
{
public:
    using zwp_keyboard_shortcuts_inhibitor_v1::zwp_keyboard_shortcuts_inhibitor_v1;
    ~Inhibition() override { destroy(); }
    bool active = false;

protected:
    void zwp_keyboard_shortcuts_inhibitor_v1_active() override { active = true; }
    void zwp_keyboard_shortcuts_inhibitor_v1_inactive() override { active = false; }
};

class WaylandShortcutsInhibitor : public QObject, public ShortcutsInhibitor
{
public:
    WaylandShortcutsInhibitor(std::unique_ptr<InhibitManager> manager, std::unique_ptr<WaylandSeat> seat)
        : m_manager(std::move(manager))
        , m_seat(std::move(seat))
    {}

    void inhibit(QWindow* window) override
    {
        wl_surface* surface = nullptr;
        if (window && window->handle() && window->isVisible())
            surface = static_cast<wl_surface*>(
                QGuiApplication::platformNativeInterface()->nativeResourceForWindow("surface", window));
        if (window == m_window && surface == m_surface)
            return;
        // One inhibition per surface: a second one for the same surface is an error
        // that ends the connection.
        end();
        if (!surface || !m_manager->isActive())
            return;
        m_window = window;
        m_surface = surface;
        m_window->installEventFilter(this);
        m_inhibition = std::make_unique<Inhibition>(m_manager->inhibit_shortcuts(surface, m_seat->seat()));
    }

    bool isActive() const override { return m_inhibition && m_inhibition->active; }

protected:
    // A hidden window's surface is gone; the next one is inhibited anew.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Hide)
            end();
        return false;
    }

private:
    void end()
    {
        if (m_window)
            m_window->removeEventFilter(this);
        m_inhibition.reset();
        m_window = nullptr;
        m_surface = nullptr;
    }

    std::unique_ptr<InhibitManager> m_manager;
    std::unique_ptr<WaylandSeat> m_seat;
    std::unique_ptr<Inhibition> m_inhibition;
    QPointer<QWindow> m_window;
    wl_surface* m_surface = nullptr;
};

} // namespace

extern "C" Q_DECL_EXPORT ShortcutsInhibitor* respitekeeperWaylandShortcutsInhibitor()
{
    auto seat = std::make_unique<WaylandSeat>();
    auto manager = std::make_unique<InhibitManager>();
    if (!bindNow(*seat) || !seat->seat() || !bindNow(*manager))
        return nullptr;
    return new WaylandShortcutsInhibitor(std::move(manager), std::move(seat));
}
