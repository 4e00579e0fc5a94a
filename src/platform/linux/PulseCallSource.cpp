#include "CallModules.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/glib-mainloop.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>
#include <set>

namespace {

// PulseAudio's recordings (source outputs), on Qt's GLib event loop: the server
// tells each one that comes and goes.
class PulseCallSource : public PresenceSource
{
public:
    ~PulseCallSource() override
    {
        if (m_context) {
            pa_context_set_state_callback(m_context, nullptr, nullptr);
            pa_context_disconnect(m_context);
            pa_context_unref(m_context);
        }
        if (m_loop)
            pa_glib_mainloop_free(m_loop);
    }

    bool connect()
    {
        m_loop = pa_glib_mainloop_new(nullptr);
        m_context = pa_context_new(pa_glib_mainloop_get_api(m_loop), "RespiteKeeper");
        if (!m_context)
            return false;
        pa_context_set_state_callback(m_context, &PulseCallSource::stateChanged, this);
        pa_context_set_subscribe_callback(m_context, &PulseCallSource::changed, this);
        return pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
    }

    QString description() const override { return QStringLiteral("PulseAudio's recordings (source outputs)"); }

private:
    static void stateChanged(pa_context* context, void* self)
    {
        auto* source = static_cast<PulseCallSource*>(self);
        switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY:
            source->m_ready = true;
            pa_operation_unref(pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SOURCE_OUTPUT, nullptr, nullptr));
            pa_operation_unref(pa_context_get_source_output_info_list(context, &PulseCallSource::listed, self));
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            source->m_recordings.clear();
            qWarning(source->m_ready ? "Presence: PulseAudio went away (%s); calls in it are no longer seen"
                                     : "Presence: could not connect to PulseAudio (%s)",
                     pa_strerror(pa_context_errno(context)));
            source->setOn(false);
            break;
        default:
            break;
        }
    }

    static void listed(pa_context*, const pa_source_output_info* info, int end, void* self)
    {
        auto* source = static_cast<PulseCallSource*>(self);
        if (!end && info)
            source->m_recordings.insert(info->index);
        source->setOn(!source->m_recordings.empty());
    }

    static void changed(pa_context*, pa_subscription_event_type_t type, uint32_t index, void* self)
    {
        auto* source = static_cast<PulseCallSource*>(self);
        if ((type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_NEW)
            source->m_recordings.insert(index);
        else if ((type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_REMOVE)
            source->m_recordings.erase(index);
        source->setOn(!source->m_recordings.empty());
    }

    pa_glib_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    std::set<uint32_t> m_recordings;
    bool m_ready = false;
};

} // namespace

extern "C" Q_DECL_EXPORT PresenceSource* respitekeeperPulseCallSource()
{
    // The GLib main loop runs only under Qt's GLib event dispatcher.
    if (!QCoreApplication::eventDispatcher() ||
        !QCoreApplication::eventDispatcher()->inherits("QEventDispatcherGlib")) {
        qWarning("Presence: PulseAudio's calls need Qt's GLib event loop, and Qt runs without GLib");
        return nullptr;
    }
    auto source = std::make_unique<PulseCallSource>();
    if (!source->connect()) {
        qWarning("Presence: could not connect to PulseAudio");
        return nullptr;
    }
    return source.release();
}
