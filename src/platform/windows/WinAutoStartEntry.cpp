#include "platform/AutoStartEntry.h"

#include "win_registry.h"

#include <QDebug>
#include <QDir>
#include <QSettings>

namespace {

// The value "RespiteKeeper" in the per-user Run key, through Qt's settings and,
// should that fail, through the registry functions.
class WinAutoStartEntry : public AutoStartEntry
{
public:
    bool canAutostart() const override { return true; }
    QString location() const override
    {
        return QStringLiteral(
            "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run, value RespiteKeeper");
    }

    void apply(bool enabled, const QString& executablePath) override
    {
        const QString command = QStringLiteral("\"%1\"").arg(QDir::toNativeSeparators(executablePath));
        QSettings run(QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
                      QSettings::NativeFormat);
        if (enabled)
            run.setValue(QStringLiteral("RespiteKeeper"), command);
        else
            run.remove(QStringLiteral("RespiteKeeper"));
        run.sync();
        if (run.status() == QSettings::NoError)
            return;

        qWarning("Failed to update auto-start registry via QSettings, trying Win32 API...");
        const std::wstring data = command.toStdWString();
        const RunValueResult result = winWriteRunValue(L"RespiteKeeper", enabled ? data.c_str() : nullptr);
        switch (result.failedStep) {
        case RunValueResult::Open:
            qWarning() << "RegOpenKeyExW failed with error:" << result.error;
            break;
        case RunValueResult::Set:
            qWarning() << "RegSetValueExW failed with error:" << result.error;
            break;
        case RunValueResult::Delete:
            qWarning() << "RegDeleteValueW failed with error:" << result.error;
            break;
        case RunValueResult::None:
            break;
        }
    }
};

} // namespace

std::unique_ptr<AutoStartEntry> createAutoStartEntry()
{
    return std::make_unique<WinAutoStartEntry>();
}
