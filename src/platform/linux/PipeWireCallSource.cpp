#include "CallModules.h"

#include <QSocketNotifier>
#include <QString>
#include <memory>
#include <pipewire/impl-module.h>
#include <pipewire/pipewire.h>
#include <set>

namespace {

// PipeWire's registry, read on Qt's event loop: the loop's file descriptor becomes
// readable when the daemon has something to say, and one iteration then handles it.
class PipeWireCallSource : public PresenceSource
{
public:
    PipeWireCallSource() = default;
    ~PipeWireCallSource() override
    {
        m_notifier.reset();
        if (m_registry)
            pw_proxy_destroy(reinterpret_cast<pw_proxy*>(m_registry));
        if (m_core)
            pw_core_disconnect(m_core);
        if (m_context)
            pw_context_destroy(m_context);
        if (m_loop)
            pw_loop_destroy(m_loop);
    }

    bool connect()
    {
        if (!(m_loop = pw_loop_new(nullptr)))
            return false;
        // No configuration file: the client's usual modules (real-time scheduling
        // through RealtimeKit, nodes and devices of its own) are not needed to read
        // the registry.
        m_context = pw_context_new(m_loop, pw_properties_new(PW_KEY_CONFIG_NAME, "null", nullptr), 0);
        if (!m_context)
            return false;
        // The context starts a thread for the real-time work of streams of its own,
        // and we make none.
        pw_data_loop_stop(pw_context_get_data_loop(m_context));
        if (!pw_context_load_module(m_context, "libpipewire-module-protocol-native", nullptr, nullptr))
            return false;
        if (!(m_core = pw_context_connect(m_context, nullptr, 0)))
            return false;
        static const pw_core_events coreEvents = [] {
            pw_core_events events{};
            events.version = PW_VERSION_CORE_EVENTS;
            events.error = [](void* self, uint32_t id, int, int res, const char* message) {
                if (id == PW_ID_CORE && res == -EPIPE)
                    static_cast<PipeWireCallSource*>(self)->daemonGone(message);
            };
            return events;
        }();
        pw_core_add_listener(m_core, &m_coreListener, &coreEvents, this);
        m_registry = pw_core_get_registry(m_core, PW_VERSION_REGISTRY, 0);
        static const pw_registry_events registryEvents = [] {
            pw_registry_events events{};
            events.version = PW_VERSION_REGISTRY_EVENTS;
            events.global = [](void* self, uint32_t id, uint32_t, const char* type, uint32_t, const spa_dict* props) {
                static_cast<PipeWireCallSource*>(self)->added(id, type, props);
            };
            events.global_remove = [](void* self, uint32_t id) { static_cast<PipeWireCallSource*>(self)->removed(id); };
            return events;
        }();
        pw_registry_add_listener(m_registry, &m_registryListener, &registryEvents, this);
        m_notifier = std::make_unique<QSocketNotifier>(pw_loop_get_fd(m_loop), QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { iterate(); });
        // The requests above go out at the first iteration.
        iterate();
        return !m_gone;
    }

    QString description() const override
    {
        return QStringLiteral("PipeWire's capturing streams (Stream/Input/Audio, Stream/Input/Video)");
    }

private:
    void iterate()
    {
        pw_loop_enter(m_loop);
        pw_loop_iterate(m_loop, 0);
        pw_loop_leave(m_loop);
    }

    void added(uint32_t id, const char* type, const spa_dict* props)
    {
        if (std::string_view(type) != PW_TYPE_INTERFACE_Node || !props)
            return;
        const char* mediaClass = spa_dict_lookup(props, PW_KEY_MEDIA_CLASS);
        if (!mediaClass)
            return;
        const std::string_view kind(mediaClass);
        if (kind == "Stream/Input/Audio" || kind == "Stream/Input/Video") {
            m_capturing.insert(id);
            setOn(true);
        }
    }

    void removed(uint32_t id)
    {
        if (m_capturing.erase(id))
            setOn(!m_capturing.empty());
    }

    void daemonGone(const char* message)
    {
        if (m_gone)
            return;
        m_gone = true;
        // Its socket is closed: nothing more will come.
        if (m_notifier)
            m_notifier->setEnabled(false);
        m_capturing.clear();
        qWarning("Presence: PipeWire went away (%s); calls in it are no longer seen", message ? message : "");
        setOn(false);
    }

    pw_loop* m_loop = nullptr;
    pw_context* m_context = nullptr;
    pw_core* m_core = nullptr;
    pw_registry* m_registry = nullptr;
    spa_hook m_coreListener{};
    spa_hook m_registryListener{};
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::set<uint32_t> m_capturing;
    bool m_gone = false;
};

} // namespace

extern "C" Q_DECL_EXPORT PresenceSource* respitekeeperPipeWireCallSource()
{
    pw_init(nullptr, nullptr);
    // Its warnings about a context without configuration are no news here.
    if (qEnvironmentVariableIsEmpty("PIPEWIRE_DEBUG"))
        pw_log_set_level(SPA_LOG_LEVEL_ERROR);
    auto source = std::make_unique<PipeWireCallSource>();
    if (!source->connect()) {
        qWarning("Presence: could not connect to PipeWire: %s", strerror(errno));
        return nullptr;
    }
    return source.release();
}
