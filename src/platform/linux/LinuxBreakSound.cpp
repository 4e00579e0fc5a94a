#include "platform/BreakSound.h"

#include "ProgramModule.h"
#include "SoundModule.h"

#include <QDebug>
#include <QProcess>
#include <QStandardPaths>
#include <QThreadPool>
#include <optional>
#include <utility>

namespace {

// The desktop's own "event sounds" switch, where the desktop keeps it in GSettings
// (GNOME and the desktops built on its settings); GTK programs read the same key.
// Asked at each sound, on the worker: two short runs of gsettings a break.
bool desktopEventSoundsOff()
{
    const QString gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    if (gsettings.isEmpty())
        return false;
    QProcess get;
    get.start(gsettings,
              {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.sound"), QStringLiteral("event-sounds")});
    return get.waitForFinished(2000) && get.exitCode() == 0 && get.readAllStandardOutput().trimmed() == "false";
}

// libcanberra's module is loaded at the first sound played, and every sound is played on
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
            if (desktopEventSoundsOff()) {
                if (!std::exchange(m_saidOff, true))
                    qInfo("No break sound: the desktop's event sounds are off");
                return;
            }
            m_saidOff = false;
            if (BreakSound* player = this->player())
                player->play(event);
        });
    }

    QString description() const override
    {
        auto* self = const_cast<LinuxBreakSound*>(this);
        self->m_worker.waitForDone();
        const QString off =
            desktopEventSoundsOff() ? QStringLiteral("; off now: the desktop's event sounds are off") : QString();
        if (BreakSound* player = self->player())
            return player->description() + QStringLiteral(" (") + m_module->description() + QLatin1Char(')') + off;
        return m_module->description() + off;
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
    bool m_saidOff = false; // on the worker only
    // Goes first, waiting for the sound it plays.
    QThreadPool m_worker;
};

} // namespace

std::unique_ptr<BreakSound> createBreakSound()
{
    return std::make_unique<LinuxBreakSound>();
}
