#include "SettingsTable.h"

#include <QColor>
#include <algorithm>

namespace {

QString storedText(const QVariant& stored)
{
    return stored.toString().trimmed();
}

CheckedValue parseInteger(const SettingRow& row, const QVariant& stored)
{
    bool ok = false;
    const qint64 value = storedText(stored).toLongLong(&ok);
    if (!ok)
        return {row.defaultValue, QStringLiteral("is not a whole number")};
    if (value > row.maximum)
        return {row.maximum, QStringLiteral("is above the largest allowed, %1").arg(row.maximum)};
    if (value < row.storedMinimum) {
        const QVariant used = row.belowTakesDefault ? row.defaultValue : QVariant(row.storedMinimum);
        return {used, QStringLiteral("is below the least allowed, %1").arg(row.storedMinimum)};
    }
    return {int(value), {}};
}

CheckedValue parseBoolean(const SettingRow& row, const QVariant& stored)
{
    static const QStringList yes{QStringLiteral("true"), QStringLiteral("1"), QStringLiteral("yes"),
                                 QStringLiteral("on")};
    static const QStringList no{QStringLiteral("false"), QStringLiteral("0"), QStringLiteral("no"),
                                QStringLiteral("off")};
    const QString text = storedText(stored).toLower();
    if (yes.contains(text))
        return {true, {}};
    if (no.contains(text))
        return {false, {}};
    return {row.defaultValue, QStringLiteral("is none of true, false, yes, no, on, off, 1, 0")};
}

CheckedValue parseText(const SettingRow&, const QVariant& stored)
{
    return {stored.toString(), {}};
}

// The hash forms with six or eight hexadecimal digits and the named colours.
CheckedValue parseColor(const SettingRow& row, const QVariant& stored)
{
    const QColor color = QColor::fromString(storedText(stored));
    if (!color.isValid())
        return {row.defaultValue, QStringLiteral("is not a colour")};
    return {color, {}};
}

} // namespace

const std::array<SettingRow, SettingCount>& settingsTable()
{
    // Times in seconds; their maxima are those the settings dialog offers.
    static const std::array<SettingRow, SettingCount> table{{
        {Setting::MicroBreakInterval, "microBreakInterval", 1200, parseInteger, 1, 60, 120 * 60, true},
        {Setting::MicroBreakDuration, "microBreakDuration", 20, parseInteger, 1, 5, 300, true},
        {Setting::LongBreakInterval, "longBreakInterval", 3600, parseInteger, 1, 60, 480 * 60, true},
        {Setting::LongBreakDuration, "longBreakDuration", 300, parseInteger, 1, 60, 60 * 60, true},
        {Setting::PostponeEnabled, "postponeEnabled", true, parseBoolean},
        {Setting::ShowOnAllMonitors, "showOnAllMonitors", true, parseBoolean},
        {Setting::AutoStartAtBoot, "autoStartAtBoot", true, parseBoolean},
        {Setting::IdlePauseEnabled, "idlePauseEnabled", true, parseBoolean},
        {Setting::HoldBreaksWhenBusy, "holdBreaksWhenBusy", true, parseBoolean},
        {Setting::HoldBreaksMaxMinutes, "holdBreaksMaxMinutes", 60, parseInteger, 1, 5, 240, true},
        {Setting::BreakSoundEnabled, "breakSoundEnabled", false, parseBoolean},
        {Setting::Language, "language", QStringLiteral("system"), parseText},
        {Setting::BackgroundColor, "backgroundColor", QColor(0, 120, 212), parseColor},
        {Setting::ShutdownEnabled, "shutdownEnabled", false, parseBoolean},
        {Setting::ShutdownHour, "shutdownHour", 22, parseInteger, 0, 0, 23},
        {Setting::ShutdownMinute, "shutdownMinute", 0, parseInteger, 0, 0, 59},
    }};
    return table;
}

QVariant storedForm(const SettingRow& row, const QVariant& value)
{
    if (row.defaultValue.typeId() == QMetaType::QColor)
        return value.value<QColor>().name();
    return value;
}
