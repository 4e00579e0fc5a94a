#pragma once

#include "SettingsTable.h"
#include "SettingsValues.h"

#include <QColor>
#include <QObject>
#include <array>

// The program's persistent settings, one row of the settings table each. Values are
// checked on the way in: what storage holds is read through its row's parser, and
// setters keep their rows' ranges. Setters change memory only; whoever changes
// settings calls save() and then notifySettingsChanged(). The two settings with an
// effect of their own announce their change at once: the language (the break
// messages follow it) and the log-on start (its entry follows it).
class SettingsManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int microBreakInterval READ microBreakInterval WRITE setMicroBreakInterval NOTIFY settingsChanged)
    Q_PROPERTY(int microBreakDuration READ microBreakDuration WRITE setMicroBreakDuration NOTIFY settingsChanged)
    Q_PROPERTY(int longBreakInterval READ longBreakInterval WRITE setLongBreakInterval NOTIFY settingsChanged)
    Q_PROPERTY(int longBreakDuration READ longBreakDuration WRITE setLongBreakDuration NOTIFY settingsChanged)
    Q_PROPERTY(bool postponeEnabled READ postponeEnabled WRITE setPostponeEnabled NOTIFY settingsChanged)
    Q_PROPERTY(bool showOnAllMonitors READ showOnAllMonitors WRITE setShowOnAllMonitors NOTIFY settingsChanged)
    Q_PROPERTY(bool autoStartAtBoot READ autoStartAtBoot WRITE setAutoStartAtBoot NOTIFY settingsChanged)
    Q_PROPERTY(bool idlePauseEnabled READ idlePauseEnabled WRITE setIdlePauseEnabled NOTIFY settingsChanged)
    Q_PROPERTY(bool holdBreaksWhenBusy READ holdBreaksWhenBusy WRITE setHoldBreaksWhenBusy NOTIFY settingsChanged)
    Q_PROPERTY(int holdBreaksMaxMinutes READ holdBreaksMaxMinutes WRITE setHoldBreaksMaxMinutes NOTIFY settingsChanged)
    Q_PROPERTY(bool breakSoundEnabled READ breakSoundEnabled WRITE setBreakSoundEnabled NOTIFY settingsChanged)
    Q_PROPERTY(QString language READ language WRITE setLanguage NOTIFY settingsChanged)
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor NOTIFY settingsChanged)
    Q_PROPERTY(bool shutdownEnabled READ shutdownEnabled WRITE setShutdownEnabled NOTIFY settingsChanged)
    Q_PROPERTY(int shutdownHour READ shutdownHour WRITE setShutdownHour NOTIFY settingsChanged)
    Q_PROPERTY(int shutdownMinute READ shutdownMinute WRITE setShutdownMinute NOTIFY settingsChanged)

public:
    static constexpr int CurrentVersion = 2;

    enum class LoadResult {
        Read,       // storage was read (or holds nothing yet) and is up to date
        Unreadable, // storage could not be read or parsed: defaults in use, storage left alone
    };

    explicit SettingsManager(QObject* parent = nullptr);
    ~SettingsManager() override;

    LoadResult load();
    // False when storage could not be written; what it held before stays whole.
    bool save();
    // Where the settings are kept, for messages.
    QString location() const { return m_location; }

    Q_INVOKABLE bool resetToDefaults();
    Q_INVOKABLE void notifySettingsChanged();

    QVariant value(Setting id) const { return m_values[size_t(id)]; }
    // Applies the setting's setter rule; memory only.
    void setValue(Setting id, const QVariant& value);

    int microBreakInterval() const { return value(Setting::MicroBreakInterval).toInt(); }
    int microBreakDuration() const { return value(Setting::MicroBreakDuration).toInt(); }
    int longBreakInterval() const { return value(Setting::LongBreakInterval).toInt(); }
    int longBreakDuration() const { return value(Setting::LongBreakDuration).toInt(); }
    bool postponeEnabled() const { return value(Setting::PostponeEnabled).toBool(); }
    bool showOnAllMonitors() const { return value(Setting::ShowOnAllMonitors).toBool(); }
    bool autoStartAtBoot() const { return value(Setting::AutoStartAtBoot).toBool(); }
    bool idlePauseEnabled() const { return value(Setting::IdlePauseEnabled).toBool(); }
    bool holdBreaksWhenBusy() const { return value(Setting::HoldBreaksWhenBusy).toBool(); }
    int holdBreaksMaxMinutes() const { return value(Setting::HoldBreaksMaxMinutes).toInt(); }
    bool breakSoundEnabled() const { return value(Setting::BreakSoundEnabled).toBool(); }
    QString language() const { return value(Setting::Language).toString(); }
    QColor backgroundColor() const { return value(Setting::BackgroundColor).value<QColor>(); }
    bool shutdownEnabled() const { return value(Setting::ShutdownEnabled).toBool(); }
    int shutdownHour() const { return value(Setting::ShutdownHour).toInt(); }
    int shutdownMinute() const { return value(Setting::ShutdownMinute).toInt(); }

    void setMicroBreakInterval(int seconds) { setValue(Setting::MicroBreakInterval, seconds); }
    void setMicroBreakDuration(int seconds) { setValue(Setting::MicroBreakDuration, seconds); }
    void setLongBreakInterval(int seconds) { setValue(Setting::LongBreakInterval, seconds); }
    void setLongBreakDuration(int seconds) { setValue(Setting::LongBreakDuration, seconds); }
    void setPostponeEnabled(bool enabled) { setValue(Setting::PostponeEnabled, enabled); }
    void setShowOnAllMonitors(bool enabled) { setValue(Setting::ShowOnAllMonitors, enabled); }
    void setAutoStartAtBoot(bool enabled) { setValue(Setting::AutoStartAtBoot, enabled); }
    void setIdlePauseEnabled(bool enabled) { setValue(Setting::IdlePauseEnabled, enabled); }
    void setHoldBreaksWhenBusy(bool enabled) { setValue(Setting::HoldBreaksWhenBusy, enabled); }
    void setHoldBreaksMaxMinutes(int minutes) { setValue(Setting::HoldBreaksMaxMinutes, minutes); }
    void setBreakSoundEnabled(bool enabled) { setValue(Setting::BreakSoundEnabled, enabled); }
    void setLanguage(const QString& language) { setValue(Setting::Language, language); }
    void setBackgroundColor(const QColor& color) { setValue(Setting::BackgroundColor, color); }
    void setShutdownEnabled(bool enabled) { setValue(Setting::ShutdownEnabled, enabled); }
    void setShutdownHour(int hour) { setValue(Setting::ShutdownHour, hour); }
    void setShutdownMinute(int minute) { setValue(Setting::ShutdownMinute, minute); }

    // The values each part of the program works with.
    BreakRhythm breakRhythm() const;
    BreakLook breakLook() const;
    ShutdownTime shutdownTime() const;

    // A long-break interval rounded down to a whole multiple of the micro-break
    // interval, and never below it (any unit; a micro interval below 1 leaves it).
    static int alignedLongInterval(int longInterval, int microInterval);

    // The language code a `language` value stands for: "system" or empty means the
    // language part of the system locale's name, anything else is taken as it is.
    static QString effectiveLanguage(const QString& language);

signals:
    void settingsChanged();
    // The language value changed (by a setter, a load or a reset).
    void languageChanged(const QString& language);
    // The log-on start was switched by its setter.
    void autoStartChanged(bool enabled);

private:
    void applyDefaults();
    // Stores a value; announces a changed language.
    void assign(Setting id, const QVariant& value);

    QString m_location;
    std::array<QVariant, SettingCount> m_values;
};
