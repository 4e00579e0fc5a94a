#include "Presence.h"

Presence::Presence(QObject* parent)
    : QObject(parent)
{}

Presence::~Presence() = default;

void Presence::addSource(AwayReason reason, std::unique_ptr<PresenceSource> source)
{
    add(true, int(reason), std::move(source));
}

void Presence::addSource(QuietReason reason, std::unique_ptr<PresenceSource> source)
{
    add(false, int(reason), std::move(source));
}

void Presence::add(bool away, int reason, std::unique_ptr<PresenceSource> source)
{
    if (!source)
        return;
    source->onChange([this] { update(); });
    m_entries.push_back({reason, away, std::move(source)});
    update();
}

AwayReason Presence::away() const
{
    return m_away;
}

QuietReason Presence::quiet() const
{
    return m_quiet;
}

void Presence::look()
{
    for (const Entry& entry : m_entries)
        entry.source->look();
}

int Presence::strongest(bool away) const
{
    int found = 0;
    for (const Entry& entry : m_entries) {
        if (entry.away == away && entry.source->isOn() && (!found || entry.reason < found))
            found = entry.reason;
    }
    return found;
}

void Presence::update()
{
    const auto away = AwayReason(strongest(true));
    const auto quiet = QuietReason(strongest(false));
    const bool awayChangedNow = away != m_away;
    const bool quietChangedNow = quiet != m_quiet;
    m_away = away;
    m_quiet = quiet;
    if (awayChangedNow)
        emit awayChanged(away);
    if (quietChangedNow)
        emit quietChanged(quiet);
}

QString Presence::name(AwayReason reason)
{
    switch (reason) {
    case AwayReason::Asleep:
        return QStringLiteral("sleep");
    case AwayReason::Locked:
        return QStringLiteral("locked screen");
    case AwayReason::Idle:
        return QStringLiteral("idle time");
    case AwayReason::None:
        break;
    }
    return QStringLiteral("at the screen");
}

QString Presence::name(QuietReason reason)
{
    switch (reason) {
    case QuietReason::Call:
        return QStringLiteral("call");
    case QuietReason::FullScreen:
        return QStringLiteral("full screen");
    case QuietReason::DoNotDisturb:
        return QStringLiteral("do not disturb");
    case QuietReason::None:
        break;
    }
    return QStringLiteral("free");
}

QStringList Presence::descriptions() const
{
    QStringList lines;
    for (const Entry& entry : m_entries) {
        const QString reason = entry.away ? name(AwayReason(entry.reason)) : name(QuietReason(entry.reason));
        lines << reason + QStringLiteral(": ") + entry.source->description();
    }
    return lines + m_missing;
}
