#include "platform/BreakSound.h"

#include "win_breaksound.h"

#include <QDebug>
#include <mmsystem.h>

namespace {

// The user's sound scheme's own sounds; PlaySound plays them on a thread of its own.
class WinBreakSound : public BreakSound
{
public:
    void play(Event event) override
    {
        const bool started = event == Event::BreakStarted;
        if (winPlayBreakSound(started, &PlaySoundW)) {
            m_said = false;
        } else if (!m_said) {
            m_said = true;
            qInfo("No break sound: the system sound %ls could not be played", winBreakSoundAlias(started));
        }
    }

    QString description() const override
    {
        return QStringLiteral("PlaySound, the sound scheme's %1 at a break's start and %2 at its end")
            .arg(QString::fromWCharArray(winBreakSoundAlias(true)), QString::fromWCharArray(winBreakSoundAlias(false)));
    }

private:
    bool m_said = false;
};

} // namespace

std::unique_ptr<BreakSound> createBreakSound()
{
    return std::make_unique<WinBreakSound>();
}
