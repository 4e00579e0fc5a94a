#include "WinPresenceSources.h"

#include "win_notificationstate.h"

namespace {

// The shell tells nothing when its notification state changes: it is asked when
// the program looks.
class WinNotificationStateSource : public PresenceSource
{
public:
    WinNotificationStateSource(WinNotificationQuiet which, WinNotificationStateQuery query)
        : m_which(which)
        , m_query(query)
    {}

    QString description() const override
    {
        return m_which == WinNotificationQuiet::FullScreen
                   ? QStringLiteral("the shell's notification state (full screen, presentation mode)")
                   : QStringLiteral("the shell's notification state (quiet time)");
    }
    void look() override { setOn(winAskNotificationQuiet(m_query) == m_which); }

private:
    WinNotificationQuiet m_which;
    WinNotificationStateQuery m_query;
};

} // namespace

std::unique_ptr<PresenceSource> createWinNotificationStateSource(QuietReason reason)
{
    const auto which =
        reason == QuietReason::FullScreen ? WinNotificationQuiet::FullScreen : WinNotificationQuiet::QuietTime;
    return std::make_unique<WinNotificationStateSource>(which, &SHQueryUserNotificationState);
}
