#pragma once

#include "platform/PresenceSource.h"

#include <QObject>
#include <QStringList>
#include <memory>
#include <vector>

// Why the user is not at the screen, most telling first.
enum class AwayReason { None, Asleep, Locked, Idle };
// Why the user must not be interrupted now, most telling first.
enum class QuietReason { None, Call, FullScreen, DoNotDisturb };

// Whether the user is at the screen, and whether a break may interrupt them, from
// every source the session offers. Several sources may tell the same reason (a
// capturing audio stream and an open camera both mean a call).
class Presence : public QObject
{
    Q_OBJECT
public:
    explicit Presence(QObject* parent = nullptr);
    ~Presence() override;

    void addSource(AwayReason reason, std::unique_ptr<PresenceSource> source);
    void addSource(QuietReason reason, std::unique_ptr<PresenceSource> source);
    // The source, or where the session offers none (null), why.
    template <typename Reason>
    void addSource(Reason reason, std::unique_ptr<PresenceSource> source, const QString& whyNone)
    {
        if (source)
            addSource(reason, std::move(source));
        else
            addMissing(reason, whyNone);
    }
    // A reason the session offers no source for, and why.
    void addMissing(AwayReason reason, const QString& why)
    {
        m_missing << name(reason) + QStringLiteral(": none: ") + why;
    }
    void addMissing(QuietReason reason, const QString& why)
    {
        m_missing << name(reason) + QStringLiteral(": none: ") + why;
    }

    AwayReason away() const;
    QuietReason quiet() const;

    // Sources that nothing tells look now.
    void look();

    // One line per reason and source, for the log and a diagnosis ("call: PipeWire's
    // ..."), then one per reason missing ("call: none: ...").
    QStringList descriptions() const;
    static QString name(AwayReason reason);
    static QString name(QuietReason reason);

signals:
    // Emitted after the reason changed; None means back, or free to interrupt.
    void awayChanged(AwayReason reason);
    void quietChanged(QuietReason reason);

private:
    struct Entry
    {
        int reason = 0;
        bool away = false;
        std::unique_ptr<PresenceSource> source;
    };
    void add(bool away, int reason, std::unique_ptr<PresenceSource> source);
    int strongest(bool away) const;
    void update();

    std::vector<Entry> m_entries;
    QStringList m_missing;
    AwayReason m_away = AwayReason::None;
    QuietReason m_quiet = QuietReason::None;
};

// Every source this session offers, for a user counted as away once idle for
// awayAfterMs. What was found goes to the log.
std::unique_ptr<Presence> createPresence(qint64 awayAfterMs);
