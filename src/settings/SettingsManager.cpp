#include "SettingsManager.h"

#include <QFile>
#include <QLocale>
#include <QSettings>
#include <algorithm>
#include <memory>

namespace {
const QString kOrganisation = QStringLiteral("RespiteKeeper");
const QString kApplication = QStringLiteral("RespiteKeeper");
const QString kVersion = QStringLiteral("version");

// Each use gets a storage object of its own: QSettings keeps the first error it
// met for good, and a save must say whether this write worked.
std::unique_ptr<QSettings> openStorage()
{
    auto storage =
        std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    // Never write the file in place: a write that fails leaves the old one whole.
    storage->setAtomicSyncRequired(true);
    return storage;
}

// Storage that cannot be read, or a file whose text yields no setting at all (a
// file of zeros after a crash reads as empty without any error).
bool isUnreadable(const QSettings& storage)
{
    // The text is parsed at the first look at the keys, and only then is a fault in
    // it known.
    const bool empty = storage.allKeys().isEmpty();
    if (storage.status() != QSettings::NoError)
        return true;
    if (!empty)
        return false;
    QFile file(storage.fileName());
    if (!file.open(QIODevice::ReadOnly))
        return false; // nothing stored yet
    return !file.read(64 * 1024).replace("[General]", "").trimmed().isEmpty();
}

// Version 1 kept the two intervals and the long break's length in minutes; values
// outside the minute ranges are left, and read as seconds.
void migrate(QSettings& storage)
{
    if (storage.value(kVersion, 1).toInt() > 1)
        return;
    const auto toSeconds = [&storage](Setting id, int missing, int below) {
        const QString key = QLatin1String(settingRow(id).key);
        const int minutes = storage.value(key, missing).toInt();
        if (minutes >= 1 && minutes < below)
            storage.setValue(key, minutes * 60);
    };
    toSeconds(Setting::MicroBreakInterval, 20, 120);
    toSeconds(Setting::LongBreakInterval, 60, 480);
    toSeconds(Setting::LongBreakDuration, 5, 60);
    storage.setValue(kVersion, SettingsManager::CurrentVersion);
    storage.sync();
}

QString displayed(const SettingRow& row, const QVariant& value)
{
    return storedForm(row, value).toString();
}

} // namespace

SettingsManager::SettingsManager(QObject* parent)
    : QObject(parent)
    , m_location(openStorage()->fileName())
{
    applyDefaults();
}

SettingsManager::~SettingsManager() = default;

void SettingsManager::assign(Setting id, const QVariant& value)
{
    QVariant& field = m_values[size_t(id)];
    if (field == value)
        return;
    field = value;
    if (id == Setting::Language)
        emit languageChanged(value.toString());
}

void SettingsManager::applyDefaults()
{
    for (const SettingRow& row : settingsTable())
        assign(row.id, row.defaultValue);
}

SettingsManager::LoadResult SettingsManager::load()
{
    const std::unique_ptr<QSettings> storage = openStorage();
    if (isUnreadable(*storage)) {
        qWarning("Settings: %s cannot be read; the defaults apply until the settings are saved, and the file and "
                 "the log-on entry are left as they are",
                 qUtf8Printable(m_location));
        return LoadResult::Unreadable;
    }
    migrate(*storage);
    for (const SettingRow& row : settingsTable()) {
        const QString key = QLatin1String(row.key);
        if (!storage->contains(key)) {
            assign(row.id, row.defaultValue);
            continue;
        }
        const QVariant stored = storage->value(key);
        const CheckedValue checked = row.parse(row, stored);
        if (!checked.problem.isEmpty())
            qWarning("Settings: %s \"%s\" %s; using %s", row.key, qUtf8Printable(stored.toString()),
                     qUtf8Printable(checked.problem), qUtf8Printable(displayed(row, checked.value)));
        assign(row.id, checked.value);
    }
    save(); // brings every key into storage, in the current version
    return LoadResult::Read;
}

bool SettingsManager::save()
{
    {
        const std::unique_ptr<QSettings> storage = openStorage();
        // A file that cannot be read is replaced whole: every key is written.
        if (isUnreadable(*storage))
            storage->clear();
        storage->setValue(kVersion, CurrentVersion);
        for (const SettingRow& row : settingsTable())
            storage->setValue(QLatin1String(row.key), storedForm(row, value(row.id)));
        storage->sync();
    }
    // Saved means storage now holds these values.
    const std::unique_ptr<QSettings> check = openStorage();
    bool saved = check->value(kVersion).toInt() == CurrentVersion;
    for (const SettingRow& row : settingsTable())
        saved = saved && check->value(QLatin1String(row.key)).toString() == displayed(row, value(row.id));
    saved = saved && check->status() == QSettings::NoError;
    if (!saved)
        qWarning("Settings: could not save to %s; the settings in use stay as they are until the program ends",
                 qUtf8Printable(m_location));
    return saved;
}

bool SettingsManager::resetToDefaults()
{
    applyDefaults();
    const bool saved = save();
    emit settingsChanged();
    return saved;
}

void SettingsManager::notifySettingsChanged()
{
    emit settingsChanged();
}

int SettingsManager::alignedLongInterval(int longInterval, int microInterval)
{
    if (microInterval <= 0)
        return longInterval;
    return std::max(longInterval - longInterval % microInterval, microInterval);
}

void SettingsManager::setValue(Setting id, const QVariant& value)
{
    const SettingRow& row = settingRow(id);
    QVariant kept = value;
    if (row.defaultValue.typeId() == QMetaType::Int)
        kept = std::clamp(value.toInt(), row.setterMinimum, row.maximum);
    else if (row.defaultValue.typeId() == QMetaType::Bool)
        kept = value.toBool();

    switch (id) {
    case Setting::MicroBreakInterval:
        // The long interval stays a whole multiple of the micro interval.
        if (kept != this->value(id)) {
            assign(id, kept);
            assign(Setting::LongBreakInterval, alignedLongInterval(longBreakInterval(), kept.toInt()));
        }
        return;
    case Setting::LongBreakInterval:
        kept = alignedLongInterval(kept.toInt(), microBreakInterval());
        break;
    case Setting::AutoStartAtBoot:
        if (kept != this->value(id)) {
            assign(id, kept);
            emit autoStartChanged(kept.toBool());
        }
        return;
    default:
        break;
    }
    assign(id, kept);
}

BreakRhythm SettingsManager::breakRhythm() const
{
    return {microBreakInterval(), microBreakDuration(), longBreakInterval(),  longBreakDuration(),
            postponeEnabled(),    idlePauseEnabled(),   holdBreaksWhenBusy(), holdBreaksMaxMinutes()};
}

BreakLook SettingsManager::breakLook() const
{
    return {backgroundColor(), showOnAllMonitors(), postponeEnabled()};
}

ShutdownTime SettingsManager::shutdownTime() const
{
    return {shutdownEnabled(), shutdownHour(), shutdownMinute()};
}

QString SettingsManager::effectiveLanguage(const QString& language)
{
    if (language.isEmpty() || language == QLatin1String("system"))
        return QLocale::system().name().section(QLatin1Char('_'), 0, 0);
    return language;
}
