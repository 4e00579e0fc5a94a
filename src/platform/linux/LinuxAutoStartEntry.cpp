#include "platform/AutoStartEntry.h"

#include "DesktopEntry.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// The XDG autostart entry: $XDG_CONFIG_HOME/autostart/RespiteKeeper.desktop.
class LinuxAutoStartEntry : public AutoStartEntry
{
public:
    bool canAutostart() const override { return true; }
    QString location() const override { return folder() + QStringLiteral("/RespiteKeeper.desktop"); }

    void apply(bool enabled, const QString& executablePath) override
    {
        const QString folder = this->folder();
        const QString path = location();
        if (!enabled) {
            if (QFileInfo::exists(path) && !QFile::remove(path))
                qWarning() << "Failed to remove the autostart entry" << path;
            return;
        }
        if (!QDir().mkpath(folder)) {
            qWarning() << "Failed to create the autostart folder" << folder;
            return;
        }
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(autostartDesktopEntry(executablePath).toUtf8()) < 0 ||
            !file.commit()) {
            qWarning() << "Failed to write the autostart entry" << path << ":" << file.errorString();
        }
    }

private:
    static QString folder()
    {
        const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
        if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
            return xdg + QStringLiteral("/autostart");
        return QDir::homePath() + QStringLiteral("/.config/autostart");
    }
};

} // namespace

std::unique_ptr<AutoStartEntry> createAutoStartEntry()
{
    return std::make_unique<LinuxAutoStartEntry>();
}
