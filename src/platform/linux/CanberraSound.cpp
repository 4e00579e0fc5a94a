#include "SoundModule.h"

#include <QDebug>

#include <canberra.h>

namespace {

// The event sounds of the XDG sound theme (the freedesktop theme where the user's
// has none), with libcanberra's choice of output: PulseAudio's protocol (PipeWire
// speaks it too), else ALSA. Calls are made one at a time, on one thread or
// another; the context is created at the first sound and kept.
class CanberraSound : public BreakSound
{
public:
    ~CanberraSound() override { close(); }

    void play(Event event) override
    {
        const bool started = event == Event::BreakStarted;
        int result = open();
        if (result == CA_SUCCESS)
            // Seldom played: the server may keep the sample a while, not for good.
            result = ca_context_play(m_context, 0, CA_PROP_EVENT_ID, started ? "bell" : "complete",
                                     CA_PROP_EVENT_DESCRIPTION, started ? "A break begins" : "The break is over",
                                     CA_PROP_CANBERRA_CACHE_CONTROL, "volatile", nullptr);
        if (result == CA_SUCCESS) {
            m_said = false;
            return;
        }
        if (!m_said)
            qInfo("No break sound: %s", ca_strerror(result));
        m_said = true;
        // A server that went away leaves the context useless: the next sound
        // starts afresh.
        if (result != CA_ERROR_NOTFOUND && result != CA_ERROR_DISABLED)
            close();
    }

    QString description() const override
    {
        const int result = const_cast<CanberraSound*>(this)->open();
        return QStringLiteral("libcanberra, the sound theme's \"bell\" at a break's start and \"complete\" at its "
                              "end; ") +
               (result == CA_SUCCESS
                    ? QStringLiteral("a sound server or device is there")
                    : QStringLiteral("none can be played now: ") + QString::fromUtf8(ca_strerror(result)));
    }

private:
    int open()
    {
        if (m_context)
            return CA_SUCCESS;
        int result = ca_context_create(&m_context);
        if (result == CA_SUCCESS)
            result = ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "RespiteKeeper",
                                             CA_PROP_APPLICATION_ID, "org.example.RespiteKeeper",
                                             CA_PROP_APPLICATION_ICON_NAME, "org.example.RespiteKeeper", nullptr);
        if (result == CA_SUCCESS)
            result = ca_context_open(m_context);
        if (result != CA_SUCCESS)
            close();
        return result;
    }

    void close()
    {
        if (m_context)
            ca_context_destroy(m_context);
        m_context = nullptr;
    }

    ca_context* m_context = nullptr;
    bool m_said = false;
};

} // namespace

extern "C" Q_DECL_EXPORT BreakSound* respitekeeperCanberraSound()
{
    return new CanberraSound;
}
