#pragma once

#include <QColor>
#include <QObject>
#include <QSettings>
#include <QStringList>
#include <memory>

class AutoStartEntry;

// The program's persistent settings. Every long-lived object keeps a non-owning
// pointer to the one instance and reads values at each use. Setters change memory
// only; whoever changes settings calls save() and then notifySettingsChanged().
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
    Q_PROPERTY(QString language READ language WRITE setLanguage NOTIFY settingsChanged)
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor NOTIFY settingsChanged)
    Q_PROPERTY(bool shutdownEnabled READ shutdownEnabled WRITE setShutdownEnabled NOTIFY settingsChanged)
    Q_PROPERTY(int shutdownHour READ shutdownHour WRITE setShutdownHour NOTIFY settingsChanged)
    Q_PROPERTY(int shutdownMinute READ shutdownMinute WRITE setShutdownMinute NOTIFY settingsChanged)

public:
    static constexpr int DefaultMicroBreakInterval = 1200;
    static constexpr int DefaultMicroBreakDuration = 20;
    static constexpr int DefaultLongBreakInterval = 3600;
    static constexpr int DefaultLongBreakDuration = 300;
    static constexpr int DefaultShutdownHour = 22;
    static constexpr int DefaultShutdownMinute = 0;
    static constexpr int CurrentVersion = 2;
    static constexpr int MaxMessagesPerKind = 20;
    static QColor defaultBackgroundColor() { return QColor(0, 120, 212); }

    explicit SettingsManager(QObject* parent = nullptr);
    ~SettingsManager() override;

    // Replaces the platform's log-on entry (tests use a fake).
    void setAutoStartEntry(std::unique_ptr<AutoStartEntry> entry);

    void load();
    void save();

    Q_INVOKABLE void resetToDefaults();
    Q_INVOKABLE void notifySettingsChanged();

    int microBreakInterval() const { return m_microBreakInterval; }
    int microBreakDuration() const { return m_microBreakDuration; }
    int longBreakInterval() const { return m_longBreakInterval; }
    int longBreakDuration() const { return m_longBreakDuration; }
    bool postponeEnabled() const { return m_postponeEnabled; }
    bool showOnAllMonitors() const { return m_showOnAllMonitors; }
    bool autoStartAtBoot() const { return m_autoStartAtBoot; }
    bool idlePauseEnabled() const { return m_idlePauseEnabled; }
    QString language() const { return m_language; }
    QColor backgroundColor() const { return m_backgroundColor; }
    bool shutdownEnabled() const { return m_shutdownEnabled; }
    int shutdownHour() const { return m_shutdownHour; }
    int shutdownMinute() const { return m_shutdownMinute; }

    void setMicroBreakInterval(int seconds);
    void setMicroBreakDuration(int seconds);
    void setLongBreakInterval(int seconds);
    void setLongBreakDuration(int seconds);
    void setPostponeEnabled(bool enabled);
    void setShowOnAllMonitors(bool enabled);
    void setAutoStartAtBoot(bool enabled);
    void setIdlePauseEnabled(bool enabled);
    void setLanguage(const QString& language);
    void setBackgroundColor(const QColor& color);
    void setShutdownEnabled(bool enabled);
    void setShutdownHour(int hour);
    void setShutdownMinute(int minute);

    QStringList microBreakMessages() const { return m_microMessages; }
    QStringList longBreakMessages() const { return m_longMessages; }

    // A long-break interval rounded down to a whole multiple of the micro-break
    // interval, and never below it (any unit; a micro interval below 1 leaves it).
    static int alignedLongInterval(int longInterval, int microInterval);

    // The language code a `language` value stands for: "system" or empty means the
    // language part of the system locale's name, anything else is taken as it is.
    static QString effectiveLanguage(const QString& language);

    // Registers or removes the program's log-on start according to autoStartAtBoot.
    void applyAutoStart();
    // Refills both break message lists from the message file of the effective language.
    void loadBreakMessages();

signals:
    void settingsChanged();

private:
    void applyDefaults();
    void migrateSettings();
    int readTime(const QString& key, int defaultValue);

    QSettings m_qsettings;
    int m_microBreakInterval = DefaultMicroBreakInterval;
    int m_microBreakDuration = DefaultMicroBreakDuration;
    int m_longBreakInterval = DefaultLongBreakInterval;
    int m_longBreakDuration = DefaultLongBreakDuration;
    bool m_postponeEnabled = true;
    bool m_showOnAllMonitors = true;
    bool m_autoStartAtBoot = true;
    bool m_idlePauseEnabled = true;
    QString m_language;
    QColor m_backgroundColor;
    bool m_shutdownEnabled = false;
    int m_shutdownHour = DefaultShutdownHour;
    int m_shutdownMinute = DefaultShutdownMinute;
    QStringList m_microMessages;
    QStringList m_longMessages;
    std::unique_ptr<AutoStartEntry> m_autoStartEntry;
};
