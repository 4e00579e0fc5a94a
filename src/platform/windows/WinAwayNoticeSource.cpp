#include "WinPresenceSources.h"

#include "win_sessionnotices.h"

namespace {

// The session's lock and unlock, or the machine's suspend and resume, as Windows
// sends them to a hidden window of the source's own.
class WinAwayNoticeSource : public PresenceSource
{
public:
    explicit WinAwayNoticeSource(WinAwayNotice::Kind kind)
        : m_kind(kind)
        , m_window([this](WinAwayNotice notice) {
            if (notice.kind == m_kind)
                setOn(notice.on);
        })
    {}

    bool start()
    {
        if (!m_window.handle())
            return false;
        if (m_kind != WinAwayNotice::Locked)
            return true;
        // Asked for the notices first, so that no lock between is missed.
        if (!m_window.watchSession())
            return false;
        setOn(winSessionLocked() == 1);
        return true;
    }

    QString description() const override
    {
        return m_kind == WinAwayNotice::Locked ? QStringLiteral("WTSRegisterSessionNotification (lock, unlock)")
                                               : QStringLiteral("WM_POWERBROADCAST (suspend, resume)");
    }

private:
    WinAwayNotice::Kind m_kind;
    WinNoticeWindow m_window;
};

} // namespace

std::unique_ptr<PresenceSource> createWinAwayNoticeSource(AwayReason reason)
{
    auto source = std::make_unique<WinAwayNoticeSource>(reason == AwayReason::Locked ? WinAwayNotice::Locked
                                                                                     : WinAwayNotice::Asleep);
    if (!source->start())
        return nullptr;
    return source;
}
