#include "SettingsManager.h"

#include "platform/AutoStartEntry.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <algorithm>

namespace {
const QString kOrganisation = QStringLiteral("RespiteKeeper");
const QString kApplication = QStringLiteral("RespiteKeeper");

// The storage keys: each setting is stored under its property name.
namespace Key {
const QString version = QStringLiteral("version");
const QString microBreakInterval = QStringLiteral("microBreakInterval");
const QString microBreakDuration = QStringLiteral("microBreakDuration");
const QString longBreakInterval = QStringLiteral("longBreakInterval");
const QString longBreakDuration = QStringLiteral("longBreakDuration");
const QString postponeEnabled = QStringLiteral("postponeEnabled");
const QString showOnAllMonitors = QStringLiteral("showOnAllMonitors");
const QString autoStartAtBoot = QStringLiteral("autoStartAtBoot");
const QString idlePauseEnabled = QStringLiteral("idlePauseEnabled");
const QString language = QStringLiteral("language");
const QString backgroundColor = QStringLiteral("backgroundColor");
const QString shutdownEnabled = QStringLiteral("shutdownEnabled");
const QString shutdownHour = QStringLiteral("shutdownHour");
const QString shutdownMinute = QStringLiteral("shutdownMinute");
} // namespace Key
} // namespace

SettingsManager::SettingsManager(QObject* parent)
    : QObject(parent)
    , m_qsettings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication)
    , m_autoStartEntry(createAutoStartEntry())
{
    applyDefaults();
}

SettingsManager::~SettingsManager() = default;

void SettingsManager::setAutoStartEntry(std::unique_ptr<AutoStartEntry> entry)
{
    m_autoStartEntry = std::move(entry);
}

void SettingsManager::applyDefaults()
{
    m_microBreakInterval = DefaultMicroBreakInterval;
    m_microBreakDuration = DefaultMicroBreakDuration;
    m_longBreakInterval = DefaultLongBreakInterval;
    m_longBreakDuration = DefaultLongBreakDuration;
    m_postponeEnabled = true;
    m_showOnAllMonitors = true;
    m_autoStartAtBoot = true;
    m_idlePauseEnabled = true;
    m_language = QStringLiteral("system");
    m_shutdownEnabled = false;
    m_backgroundColor = defaultBackgroundColor();
    m_shutdownHour = DefaultShutdownHour;
    m_shutdownMinute = DefaultShutdownMinute;
    loadBreakMessages();
}

void SettingsManager::migrateSettings()
{
    if (m_qsettings.value(Key::version, 1).toInt() > 1)
        return;

    // Version 1 kept these three in minutes.
    const int microInterval = m_qsettings.value(Key::microBreakInterval, 20).toInt();
    const int longInterval = m_qsettings.value(Key::longBreakInterval, 60).toInt();
    const int longDuration = m_qsettings.value(Key::longBreakDuration, 5).toInt();
    if (microInterval >= 1 && microInterval <= 119)
        m_qsettings.setValue(Key::microBreakInterval, microInterval * 60);
    if (longInterval >= 1 && longInterval <= 479)
        m_qsettings.setValue(Key::longBreakInterval, longInterval * 60);
    if (longDuration >= 1 && longDuration <= 59)
        m_qsettings.setValue(Key::longBreakDuration, longDuration * 60);
    m_qsettings.setValue(Key::version, CurrentVersion);
    m_qsettings.sync();
}

// Stored times are taken as they are (short values stay usable for trying the
// program out), but nothing below one second: such a value would stop the break
// cycle, so it falls back to the default.
int SettingsManager::readTime(const QString& key, int defaultValue)
{
    const int value = m_qsettings.value(key, defaultValue).toInt();
    return value >= 1 ? value : defaultValue;
}

void SettingsManager::load()
{
    migrateSettings();

    m_microBreakInterval = readTime(Key::microBreakInterval, DefaultMicroBreakInterval);
    m_microBreakDuration = readTime(Key::microBreakDuration, DefaultMicroBreakDuration);
    m_longBreakInterval = readTime(Key::longBreakInterval, DefaultLongBreakInterval);
    m_longBreakDuration = readTime(Key::longBreakDuration, DefaultLongBreakDuration);
    m_postponeEnabled = m_qsettings.value(Key::postponeEnabled, true).toBool();
    m_showOnAllMonitors = m_qsettings.value(Key::showOnAllMonitors, true).toBool();
    m_autoStartAtBoot = m_qsettings.value(Key::autoStartAtBoot, true).toBool();
    m_idlePauseEnabled = m_qsettings.value(Key::idlePauseEnabled, true).toBool();
    m_language = m_qsettings.value(Key::language, QStringLiteral("system")).toString();

    const QString colorName = m_qsettings.value(Key::backgroundColor, defaultBackgroundColor().name()).toString();
    const QColor color = QColor::fromString(colorName);
    m_backgroundColor = color.isValid() ? color : defaultBackgroundColor();

    m_shutdownEnabled = m_qsettings.value(Key::shutdownEnabled, false).toBool();
    // An out-of-range hour or minute would make an invalid time of day, which the
    // shutdown clock reads as "now"; the setters' clamps keep it a real time.
    m_shutdownHour = std::clamp(m_qsettings.value(Key::shutdownHour, DefaultShutdownHour).toInt(), 0, 23);
    m_shutdownMinute = std::clamp(m_qsettings.value(Key::shutdownMinute, DefaultShutdownMinute).toInt(), 0, 59);

    loadBreakMessages();
    save();
    applyAutoStart();
}

void SettingsManager::save()
{
    m_qsettings.setValue(Key::version, CurrentVersion);
    m_qsettings.setValue(Key::microBreakInterval, m_microBreakInterval);
    m_qsettings.setValue(Key::microBreakDuration, m_microBreakDuration);
    m_qsettings.setValue(Key::longBreakInterval, m_longBreakInterval);
    m_qsettings.setValue(Key::longBreakDuration, m_longBreakDuration);
    m_qsettings.setValue(Key::postponeEnabled, m_postponeEnabled);
    m_qsettings.setValue(Key::showOnAllMonitors, m_showOnAllMonitors);
    m_qsettings.setValue(Key::autoStartAtBoot, m_autoStartAtBoot);
    m_qsettings.setValue(Key::idlePauseEnabled, m_idlePauseEnabled);
    m_qsettings.setValue(Key::language, m_language);
    m_qsettings.setValue(Key::backgroundColor, m_backgroundColor.name());
    m_qsettings.setValue(Key::shutdownEnabled, m_shutdownEnabled);
    m_qsettings.setValue(Key::shutdownHour, m_shutdownHour);
    m_qsettings.setValue(Key::shutdownMinute, m_shutdownMinute);
    m_qsettings.sync();
}

void SettingsManager::resetToDefaults()
{
    applyDefaults();
    save();
    emit settingsChanged();
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

void SettingsManager::setMicroBreakInterval(int seconds)
{
    const int value = std::max(seconds, 60);
    if (value == m_microBreakInterval)
        return;
    m_microBreakInterval = value;
    if (m_longBreakInterval > 0) {
        const int aligned = alignedLongInterval(m_longBreakInterval, value);
        if (aligned != m_longBreakInterval)
            m_longBreakInterval = aligned;
    }
}

void SettingsManager::setMicroBreakDuration(int seconds)
{
    m_microBreakDuration = std::max(seconds, 5);
}

void SettingsManager::setLongBreakInterval(int seconds)
{
    m_longBreakInterval = alignedLongInterval(std::max(seconds, 60), m_microBreakInterval);
}

void SettingsManager::setLongBreakDuration(int seconds)
{
    m_longBreakDuration = std::max(seconds, 60);
}

void SettingsManager::setPostponeEnabled(bool enabled)
{
    m_postponeEnabled = enabled;
}

void SettingsManager::setShowOnAllMonitors(bool enabled)
{
    m_showOnAllMonitors = enabled;
}

void SettingsManager::setAutoStartAtBoot(bool enabled)
{
    if (enabled == m_autoStartAtBoot)
        return;
    m_autoStartAtBoot = enabled;
    applyAutoStart();
}

void SettingsManager::setIdlePauseEnabled(bool enabled)
{
    m_idlePauseEnabled = enabled;
}

void SettingsManager::setLanguage(const QString& language)
{
    if (language == m_language)
        return;
    m_language = language;
    loadBreakMessages();
}

void SettingsManager::setBackgroundColor(const QColor& color)
{
    m_backgroundColor = color;
}

void SettingsManager::setShutdownEnabled(bool enabled)
{
    m_shutdownEnabled = enabled;
}

void SettingsManager::setShutdownHour(int hour)
{
    m_shutdownHour = std::clamp(hour, 0, 23);
}

void SettingsManager::setShutdownMinute(int minute)
{
    m_shutdownMinute = std::clamp(minute, 0, 59);
}

QString SettingsManager::effectiveLanguage(const QString& language)
{
    if (language.isEmpty() || language == QLatin1String("system"))
        return QLocale::system().name().section(QLatin1Char('_'), 0, 0);
    return language;
}

void SettingsManager::applyAutoStart()
{
    if (m_autoStartEntry)
        m_autoStartEntry->apply(m_autoStartAtBoot, QCoreApplication::applicationFilePath());
}

void SettingsManager::loadBreakMessages()
{
    QString path = QStringLiteral(":/translations/messages_%1.ini").arg(effectiveLanguage(m_language));
    if (!QFile::exists(path))
        path = QStringLiteral(":/translations/messages_en.ini");
    QSettings file(path, QSettings::IniFormat);
    file.beginGroup(QStringLiteral("messages"));
    m_microMessages.clear();
    m_longMessages.clear();
    for (int i = 1; i <= MaxMessagesPerKind; ++i) {
        const QString micro = QStringLiteral("micro%1").arg(i);
        if (file.contains(micro))
            m_microMessages.append(file.value(micro).toString());
        const QString longKey = QStringLiteral("long%1").arg(i);
        if (file.contains(longKey))
            m_longMessages.append(file.value(longKey).toString());
    }
}
