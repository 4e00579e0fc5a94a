#include "platform/BreakSound.h"

#include "ProgramModule.h"
#include "SoundModule.h"

#include <QThreadPool>
#include <optional>

namespace {

// libcanberra's module is loaded at the first sound, and every sound is played on
// a worker thread of its own that ends after a while without sounds: a sound
// server slow to answer never holds up the GUI, and a program whose sounds are off
// carries neither the library nor a thread.
class LinuxBreakSound : public BreakSound
{
public:
    LinuxBreakSound() { m_worker.setMaxThreadCount(1); }

    void play(Event event) override
    {
        m_worker.start([this, event] {
            if (BreakSound* player = this->player())
                player->play(event);
        });
    }

    QString description() const override
    {
        auto* self = const_cast<LinuxBreakSound*>(this);
        self->m_worker.waitForDone();
        if (BreakSound* player = self->player())
            return player->description() + QStringLiteral(" (") + m_module->description() + QLatin1Char(')');
        return m_module->description();
    }

private:
    // Null where the module could not be loaded (it said why, once).
    BreakSound* player()
    {
        if (!m_module) {
            m_module.emplace(QStringLiteral("sound"), QStringLiteral("respitekeeper-canberra.so"));
            if (auto entry = reinterpret_cast<BreakSoundEntry>(m_module->entry(RK_CANBERRA_SOUND_ENTRY)))
                m_player.reset(entry());
        }
        return m_player.get();
    }

    std::optional<ProgramModule> m_module;
    std::unique_ptr<BreakSound> m_player;
    // Goes first, waiting for the sound it plays.
    QThreadPool m_worker;
};

} // namespace

std::unique_ptr<BreakSound> createBreakSound()
{
    return std::make_unique<LinuxBreakSound>();
}
