#include "WinPresenceSources.h"

#include "win_consentstore.h"

#include <QWinEventNotifier>

namespace {

// Windows records in the privacy store when a program starts and stops using the
// device; the store's key is watched, and read again at each change.
class WinDeviceUseSource : public PresenceSource
{
public:
    explicit WinDeviceUseSource(const wchar_t* device)
        : m_device(QString::fromWCharArray(device))
        , m_watch(HKEY_CURRENT_USER, (winConsentStorePath + std::wstring(device)).c_str())
    {}

    bool start()
    {
        if (!m_watch.arm())
            return false;
        m_notifier = std::make_unique<QWinEventNotifier>(m_watch.event());
        QObject::connect(m_notifier.get(), &QWinEventNotifier::activated, m_notifier.get(), [this] { read(); });
        setOn(winDeviceInUse(m_watch.key()));
        return true;
    }

    QString description() const override
    {
        return QStringLiteral("the privacy store's %1 use (CapabilityAccessManager)").arg(m_device);
    }

private:
    void read()
    {
        // Each request tells one change: asked again before reading, so that a
        // change while reading is told too.
        m_watch.arm();
        setOn(winDeviceInUse(m_watch.key()));
    }

    QString m_device;
    WinKeyWatch m_watch;
    std::unique_ptr<QWinEventNotifier> m_notifier;
};

} // namespace

std::unique_ptr<PresenceSource> createWinDeviceUseSource(const wchar_t* device)
{
    auto source = std::make_unique<WinDeviceUseSource>(device);
    if (!source->start())
        return nullptr;
    return source;
}
