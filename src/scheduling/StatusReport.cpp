#include "StatusReport.h"

#include "BreakScheduler.h"
#include "break_utils.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <climits>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("StatusReport", text);
}

} // namespace

QString statusState(const BreakScheduler& scheduler)
{
    if (!scheduler.isRunning())
        return QStringLiteral("paused");
    switch (scheduler.state()) {
    case BreakScheduler::Warning:
        return QStringLiteral("warning");
    case BreakScheduler::OnBreak:
        return QStringLiteral("break");
    case BreakScheduler::Postponed:
        return QStringLiteral("postponed");
    default:
        return scheduler.isHeld() ? QStringLiteral("held") : QStringLiteral("working");
    }
}

namespace {

// The tray's first line: why a break is held, else the program's name.
QString titleLine(QuietReason reason)
{
    switch (reason) {
    case QuietReason::Call:
        return tr("Break held: a call is on");
    case QuietReason::FullScreen:
        return tr("Break held: a full-screen program is in front");
    case QuietReason::DoNotDisturb:
        return tr("Break held: do not disturb is on");
    case QuietReason::None:
        break;
    }
    return tr("RespiteKeeper");
}

std::optional<int> known(int seconds)
{
    return seconds >= 0 ? std::optional<int>(seconds) : std::nullopt;
}

// Whole minutes, rounded up: "in 1 m" until the last second.
int minutesUp(int seconds)
{
    return (seconds + 59) / 60;
}

QString duration(std::optional<int> seconds, StatusReport::Detail detail)
{
    if (!seconds)
        return formatDuration(-1);
    return formatDuration(detail == StatusReport::Detail::Minutes ? minutesUp(*seconds) * 60 : *seconds);
}

QJsonValue jsonNumber(std::optional<int> value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

} // namespace

QString statusTooltip(const BreakScheduler& scheduler, StatusReport::Detail detail)
{
    if (!scheduler.isRunning())
        return tr("RespiteKeeper - Paused");
    return titleLine(scheduler.holdReason()) + QLatin1Char('\n') +
           tr("Next micro break in %1").arg(duration(known(scheduler.secondsUntilNextMicroBreak()), detail)) +
           QLatin1Char('\n') +
           tr("Next long break in %1").arg(duration(known(scheduler.secondsUntilNextLongBreak()), detail));
}

StatusKey statusKey(const BreakScheduler& scheduler)
{
    StatusKey key{statusState(scheduler), scheduler.isRunning() ? scheduler.holdReason() : QuietReason::None, 0};
    if (!scheduler.isRunning()) {
        key.minutes = minutesUp(std::max(0, scheduler.pauseSecondsLeft()));
    } else if (key.state == QLatin1String("working") || key.state == QLatin1String("postponed")) {
        const int micro = scheduler.secondsUntilNextMicroBreak(), longBreak = scheduler.secondsUntilNextLongBreak();
        const int next = std::min(micro < 0 ? INT_MAX : micro, longBreak < 0 ? INT_MAX : longBreak);
        key.minutes = next == INT_MAX ? 0 : minutesUp(next);
    }
    return key;
}

StatusReport statusReport(const BreakScheduler& scheduler, StatusReport::Detail detail)
{
    StatusReport report;
    report.state = statusState(scheduler);
    if (scheduler.isRunning()) {
        report.nextMicroBreak = known(scheduler.secondsUntilNextMicroBreak());
        report.nextLongBreak = known(scheduler.secondsUntilNextLongBreak());
    } else {
        report.pauseLeft = known(scheduler.pauseSecondsLeft());
    }
    report.tooltip = statusTooltip(scheduler, detail);
    if (scheduler.isRunning() && scheduler.isHeld())
        report.heldReason = Presence::name(scheduler.holdReason());

    const StatusKey key = statusKey(scheduler);
    if (report.state == QLatin1String("paused"))
        report.text = report.pauseLeft ? tr("Paused: %1 min").arg(key.minutes) : tr("Paused");
    else if (report.state == QLatin1String("warning"))
        report.text = tr("Break soon");
    else if (report.state == QLatin1String("break"))
        report.text = tr("On a break");
    else if (report.state == QLatin1String("held"))
        report.text = tr("Break held");
    else
        report.text = tr("%1 min").arg(key.minutes);

    const int period = scheduler.periodSeconds();
    if (report.state == QLatin1String("working") || report.state == QLatin1String("postponed"))
        report.percentage = period > 0 ? int(qint64(period - scheduler.remainingSeconds()) * 100 / period) : 0;
    else if (report.state != QLatin1String("paused"))
        report.percentage = 100;
    report.percentage = std::clamp(report.percentage, 0, 100);
    return report;
}

QByteArray StatusReport::toJson() const
{
    const QJsonObject object{
        {QStringLiteral("state"), state},
        {QStringLiteral("nextMicroBreak"), jsonNumber(nextMicroBreak)},
        {QStringLiteral("nextLongBreak"), jsonNumber(nextLongBreak)},
        {QStringLiteral("pauseLeft"), jsonNumber(pauseLeft)},
        {QStringLiteral("heldReason"), heldReason.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(heldReason)},
        {QStringLiteral("text"), text},
        {QStringLiteral("tooltip"), tooltip},
        {QStringLiteral("class"), state},
        {QStringLiteral("percentage"), percentage},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QString StatusReport::toLine() const
{
    QStringList parts = tooltip.split(QLatin1Char('\n'));
    if (state == QLatin1String("paused") && pauseLeft)
        parts.append(tr("%1 left").arg(formatDuration(*pauseLeft)));
    else if (state == QLatin1String("warning"))
        parts[0] = tr("Break soon");
    else if (state == QLatin1String("break"))
        parts[0] = tr("On a break");
    else if (state == QLatin1String("postponed"))
        parts[0] = tr("Postponed");
    return parts.join(QStringLiteral("; "));
}
