#pragma once

#include <QString>
#include <QVariant>
#include <array>

// Every persistent setting, in the order in which they are read, written, listed as
// properties and applied from the dialog (the micro interval before the long one).
enum class Setting {
    MicroBreakInterval,
    MicroBreakDuration,
    LongBreakInterval,
    LongBreakDuration,
    PostponeEnabled,
    ShowOnAllMonitors,
    AutoStartAtBoot,
    IdlePauseEnabled,
    HoldBreaksWhenBusy,
    HoldBreaksMaxMinutes,
    BreakSoundEnabled,
    Language,
    BackgroundColor,
    ShutdownEnabled,
    ShutdownHour,
    ShutdownMinute,
};
constexpr int SettingCount = int(Setting::ShutdownMinute) + 1;

struct SettingRow;

// A stored value as the program takes it, and why it differs from what was stored
// (empty when it was taken as it stands).
struct CheckedValue
{
    QVariant value;
    QString problem;
};

// One setting: its storage key (also its property's name), its default, the range
// its value may take, and how a stored value is read. Integers: a stored value above
// `maximum` takes the maximum; one below `storedMinimum` takes the default where
// `belowTakesDefault` (a time of nothing would stop the break cycle), else the
// minimum. Setters keep values within `setterMinimum` and `maximum`.
struct SettingRow
{
    Setting id;
    const char* key;
    QVariant defaultValue;
    CheckedValue (*parse)(const SettingRow& row, const QVariant& stored);
    int storedMinimum = 0;
    int setterMinimum = 0;
    int maximum = 0;
    bool belowTakesDefault = false;
};

const std::array<SettingRow, SettingCount>& settingsTable();
inline const SettingRow& settingRow(Setting id)
{
    return settingsTable()[size_t(id)];
}

// The stored form of a value: integers and booleans as such, a colour as #rrggbb.
QVariant storedForm(const SettingRow& row, const QVariant& value);
