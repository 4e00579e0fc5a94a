#pragma once

#include "app/Program.h"
#include "platform/InputHold.h"
#include "platform/Presence.h"
#include "scheduling/BreakScheduler.h"
#include "settings/SettingsManager.h"
#include "ui/BreakOverlay.h"
#include "ui/SettingsDialog.h"
#include "ui/SystemTrayIcon.h"
#include "ui/WarningDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

// Settings of a test's own in a temporary folder; store() writes values (of version
// 2 unless told) as an earlier run of the program would have left them.
struct StoredSettings
{
    QTemporaryDir dir;
    explicit StoredSettings(const QVariantMap& values = {})
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
        store(values);
    }
    QString path() const { return dir.path() + QStringLiteral("/RespiteKeeper/RespiteKeeper.conf"); }
    QVariant value(const QString& key) const { return QSettings(path(), QSettings::IniFormat).value(key); }
    void store(const QVariantMap& values, bool versioned = true) const
    {
        QSettings file(path(), QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            file.setValue(it.key(), it.value());
        if (versioned && !values.isEmpty())
            file.setValue(QStringLiteral("version"), 2);
    }
};

// While it lives no file can grow past a few bytes, for root too: a full disk.
struct FullDisk
{
    rlimit saved = {};
    FullDisk()
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit full = {64, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &full);
    }
    ~FullDisk() { setrlimit(RLIMIT_FSIZE, &saved); }
};

// Before main() runs, the settings, the autostart folder, the runtime folder and
// the system bus of every test program point into a temporary folder of its own,
// so no test touches the user's files or the real system bus, however it is started.
struct TestSandbox
{
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/respitekeeper-test-XXXXXX")};
    TestSandbox()
    {
        const QByteArray root = QFile::encodeName(dir.path());
        QDir().mkdir(dir.path() + QStringLiteral("/runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_CONFIG_HOME", root + "/config");
        qputenv("XDG_DATA_HOME", root + "/data");
        qputenv("XDG_RUNTIME_DIR", root + "/runtime");
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + root + "/no-system-bus");
    }
};
inline const TestSandbox testSandbox;

// A file's bytes, or "none" when it cannot be read; and writing one.
inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("none");
}
inline bool writeFile(const QString& path, const QByteArray& content = {})
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// Stored settings, loaded.
struct LoadedSettings
{
    StoredSettings stored;
    SettingsManager settings;
    explicit LoadedSettings(const QVariantMap& values = {})
        : stored(values)
    {
        settings.load();
    }
};

// The settings in one line: intervals and durations in seconds, the shutdown
// time, the switches (postpone, all monitors, autostart, idle pause, shutdown: a
// letter when on), the language and the colour.
inline QString settingsLine(const SettingsManager& s)
{
    const auto on = [](bool value, char letter) { return QChar(value ? letter : '-'); };
    return QString::asprintf("%d %d %d %d %d:%d ", s.microBreakInterval(), s.longBreakInterval(),
                             s.microBreakDuration(), s.longBreakDuration(), s.shutdownHour(), s.shutdownMinute()) +
           on(s.postponeEnabled(), 'P') + on(s.showOnAllMonitors(), 'M') + on(s.autoStartAtBoot(), 'A') +
           on(s.idlePauseEnabled(), 'I') + on(s.shutdownEnabled(), 'S') + ' ' + s.language() + ' ' +
           s.backgroundColor().name();
}

// Runs a slot as its timer would, count times.
inline void invoke(QObject* object, const char* slot, int count = 1)
{
    for (int i = 0; i < count; ++i)
        QMetaObject::invokeMethod(object, slot, Qt::DirectConnection);
}
template <typename T = QLabel> T* child(const QObject* parent, const char* name)
{
    T* found = parent->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}
inline QString text(const QObject* parent, const char* label)
{
    return child<QLabel>(parent, label)->text();
}

// An input hold that only records what it was asked, in a log the test keeps.
struct FakeInputHold : InputHold
{
    struct Log
    {
        int releases = 0;
        bool held = false;
    };
    Log* log;
    explicit FakeInputHold(Log* log)
        : log(log)
    {}
    bool canHold() const override { return true; }
    bool isHeld() const override { return log->held; }
    void setHold(QWidget*, bool on) override { *log = {log->releases + !on, on}; }
};

// A source of presence set by hand, which counts the times it is asked to look.
struct FakeSource : PresenceSource
{
    int looks = 0;
    QString description() const override { return QStringLiteral("set by hand"); }
    void look() override { ++looks; }
    using PresenceSource::setOn;
};

// Time for a break scheduler, driven by hand, and a presence with one source set by
// hand for each reason (all off: the user is at the screen and free).
struct ManualClock
{
    qint64 now = 0;
    Presence presence;
    FakeSource* idle = add(AwayReason::Idle);
    FakeSource* locked = add(AwayReason::Locked);
    FakeSource* asleep = add(AwayReason::Asleep);
    FakeSource* call = add(QuietReason::Call);
    FakeSource* fullScreen = add(QuietReason::FullScreen);
    FakeSource* doNotDisturb = add(QuietReason::DoNotDisturb);

    template <typename Reason> FakeSource* add(Reason reason)
    {
        auto source = std::make_unique<FakeSource>();
        FakeSource* kept = source.get();
        presence.addSource(reason, std::move(source));
        return kept;
    }
    void drive(BreakScheduler& scheduler)
    {
        scheduler.setClock([this] { return now; });
        scheduler.setPresence(&presence);
    }
    // Timer timeouts, stepMs apart.
    void tick(BreakScheduler& scheduler, int count = 1, qint64 stepMs = 1000)
    {
        for (int i = 0; i < count; ++i) {
            now += stepMs;
            invoke(&scheduler, "onTick");
        }
    }
};

// The whole program as start-up builds it, in its own settings, on a hand-driven
// clock and with a recording input hold; started.
struct RunningProgram
{
    StoredSettings stored;
    Program program;
    ManualClock clock;
    FakeInputHold::Log hold;

    explicit RunningProgram(const QVariantMap& values = {})
        : stored(values)
    {
        clock.drive(*program.breakScheduler);
        program.breakOverlay->setInputHoldBackend(std::make_unique<FakeInputHold>(&hold));
        program.start();
    }
    void tick(int count = 1) { clock.tick(*program.breakScheduler, count); }
};
