#include "WaylandGlobals.h"
#include "WaylandModule.h"
#include "qwayland-plasma-window-management.h"
#include "qwayland-wlr-foreign-toplevel-management-unstable-v1.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QtWaylandClient/QWaylandClientExtensionTemplate>
#include <algorithm>
#include <map>
#include <memory>
#include <qpa/qplatformnativeinterface.h>
#include <unistd.h>

namespace {

// The app_id Qt gives this program's windows: the desktop file's name, else the
// program's file name after the organization's domain, reversed.
QString ownAppId()
{
    QString name = QGuiApplication::desktopFileName();
    if (!name.isEmpty())
        return name.endsWith(QLatin1String(".desktop")) ? name.chopped(8) : name;
    QString appId = QFileInfo(QCoreApplication::applicationFilePath()).baseName();
    for (const QString& part : QCoreApplication::organizationDomain().split(QLatin1Char('.'), Qt::SkipEmptyParts))
        appId.prepend(part + QLatin1Char('.'));
    return appId;
}

struct WindowState
{
    QString appId;
    bool active = false;
    bool fullScreen = false;
    bool ownProcess = false;
};

// On while the window that has the focus is full screen and another program's.
class FullScreenInFront : public PresenceSource
{
protected:
    template <typename Windows> void update(const Windows& windows)
    {
        setOn(std::any_of(windows.begin(), windows.end(), [this](const auto& entry) {
            const WindowState& window = entry.second->state;
            return window.active && window.fullScreen && !window.ownProcess && window.appId != m_ownAppId;
        }));
    }

private:
    const QString m_ownAppId = ownAppId();
};

// wlroots' compositors (sway and others): each window's state comes in pieces,
// applied together at "done".
class WlrToplevel : public QtWayland::zwlr_foreign_toplevel_handle_v1
{
public:
    WlrToplevel(::zwlr_foreign_toplevel_handle_v1* handle, std::function<void(bool closed)> changed)
        : zwlr_foreign_toplevel_handle_v1(handle)
        , m_changed(std::move(changed))
    {}
    ~WlrToplevel() override { destroy(); }
    WindowState state;

protected:
    void zwlr_foreign_toplevel_handle_v1_app_id(const QString& appId) override { m_next.appId = appId; }
    void zwlr_foreign_toplevel_handle_v1_state(wl_array* states) override
    {
        const auto* begin = static_cast<const uint32_t*>(states->data);
        const auto* end = begin + states->size / sizeof(uint32_t);
        m_next.active = std::find(begin, end, uint32_t(state_activated)) != end;
        m_next.fullScreen = std::find(begin, end, uint32_t(state_fullscreen)) != end;
    }
    void zwlr_foreign_toplevel_handle_v1_done() override
    {
        state = m_next;
        m_changed(false);
    }
    void zwlr_foreign_toplevel_handle_v1_closed() override { m_changed(true); }

private:
    WindowState m_next;
    std::function<void(bool closed)> m_changed;
};

class WlrFullScreenSource : public FullScreenInFront,
                            public QWaylandClientExtensionTemplate<WlrFullScreenSource>,
                            public QtWayland::zwlr_foreign_toplevel_manager_v1
{
public:
    WlrFullScreenSource()
        : QWaylandClientExtensionTemplate(3)
    {}
    ~WlrFullScreenSource() override
    {
        m_windows.clear();
        if (!isInitialized())
            return;
        if (!m_finished)
            stop();
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(object()));
    }
    QString description() const override
    {
        return QStringLiteral("the compositor's wlr-foreign-toplevel-management (zwlr_foreign_toplevel_manager_v1)");
    }

protected:
    void zwlr_foreign_toplevel_manager_v1_toplevel(::zwlr_foreign_toplevel_handle_v1* handle) override
    {
        m_windows[handle] = std::make_unique<WlrToplevel>(handle, [this, handle](bool closed) {
            if (closed)
                m_windows.erase(handle); // its last event: nothing of it runs after this
            update(m_windows);
        });
    }
    void zwlr_foreign_toplevel_manager_v1_finished() override
    {
        qWarning("The compositor withdrew its list of windows; a full-screen window no longer holds breaks");
        m_finished = true;
        m_windows.clear();
        update(m_windows);
    }

private:
    std::map<::zwlr_foreign_toplevel_handle_v1*, std::unique_ptr<WlrToplevel>> m_windows;
    bool m_finished = false;
};

// KWin: each window's state as a set of bits, changed at once.
class PlasmaWindow : public QtWayland::org_kde_plasma_window
{
public:
    PlasmaWindow(::org_kde_plasma_window* window, std::function<void(bool unmapped)> changed)
        : org_kde_plasma_window(window)
        , m_changed(std::move(changed))
    {}
    ~PlasmaWindow() override
    {
        if (version() >= ORG_KDE_PLASMA_WINDOW_DESTROY_SINCE_VERSION)
            destroy();
        else
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(object()));
    }
    WindowState state;

protected:
    void org_kde_plasma_window_app_id_changed(const QString& appId) override
    {
        state.appId = appId;
        m_changed(false);
    }
    void org_kde_plasma_window_pid_changed(uint32_t pid) override
    {
        state.ownProcess = pid == uint32_t(getpid());
        m_changed(false);
    }
    void org_kde_plasma_window_state_changed(uint32_t flags) override
    {
        state.active = flags & QtWayland::org_kde_plasma_window_management::state_active;
        state.fullScreen = flags & QtWayland::org_kde_plasma_window_management::state_fullscreen;
        m_changed(false);
    }
    void org_kde_plasma_window_unmapped() override { m_changed(true); }

private:
    std::function<void(bool unmapped)> m_changed;
};

class PlasmaFullScreenSource : public FullScreenInFront,
                               public QWaylandClientExtensionTemplate<PlasmaFullScreenSource>,
                               public QtWayland::org_kde_plasma_window_management
{
public:
    PlasmaFullScreenSource()
        : QWaylandClientExtensionTemplate(16)
    {}
    ~PlasmaFullScreenSource() override
    {
        m_windows.clear();
        if (isInitialized())
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(object()));
    }
    QString description() const override { return QStringLiteral("KDE's org_kde_plasma_window_management"); }

protected:
    // A compositor may announce a window both ways.
    void org_kde_plasma_window_management_window(uint32_t id) override
    {
        if (!m_windows.count(id))
            add(id, get_window(id));
    }
    void org_kde_plasma_window_management_window_with_uuid(uint32_t id, const QString& uuid) override
    {
        if (!m_windows.count(id))
            add(id, get_window_by_uuid(uuid));
    }

private:
    void add(uint32_t id, ::org_kde_plasma_window* window)
    {
        m_windows[id] = std::make_unique<PlasmaWindow>(window, [this, id](bool unmapped) {
            if (unmapped)
                m_windows.erase(id);
            update(m_windows);
        });
    }

    std::map<uint32_t, std::unique_ptr<PlasmaWindow>> m_windows;
};

// The windows there already come at once, in answer to the binding (and, for KWin,
// to the question for each window): the first answer is the true one.
void waitForWindows()
{
    auto* display = static_cast<wl_display*>(
        QGuiApplication::platformNativeInterface()->nativeResourceForIntegration(QByteArrayLiteral("wl_display")));
    for (int i = 0; display && i < 2; ++i)
        wl_display_roundtrip(display);
}

template <typename Source> std::unique_ptr<PresenceSource> bound()
{
    auto source = std::make_unique<Source>();
    if (!bindNow(*source))
        return nullptr;
    waitForWindows();
    return source;
}

} // namespace

extern "C" Q_DECL_EXPORT PresenceSource* respitekeeperWaylandFullScreenSource()
{
    std::unique_ptr<PresenceSource> source = bound<WlrFullScreenSource>();
    if (!source)
        source = bound<PlasmaFullScreenSource>();
    return source.release();
}
