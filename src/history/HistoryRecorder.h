#pragma once

#include "HistoryFile.h"
#include "HistoryWriter.h"
#include "scheduling/BreakScheduler.h"

#include <QDateTime>
#include <QObject>
#include <functional>

// Writes to the history what becomes of each break the scheduler announces, as it
// happens: taken to its end, postponed, cut short by a pause or a stop, or by
// quitting (when this is destroyed during a warning or a break), and how long it
// was held. The working seconds are added up in memory and written with the next
// event, at midnight for the day that ends, and at the end.
class HistoryRecorder : public QObject
{
    Q_OBJECT

public:
    // Milliseconds since 1970 (UTC); the days are those of the local time.
    using WallClock = std::function<qint64()>;

    HistoryRecorder(const BreakScheduler& scheduler, const QString& path,
                    WallClock clock = &QDateTime::currentMSecsSinceEpoch);
    ~HistoryRecorder() override;

    HistoryWriter& writer() { return m_writer; }

private:
    void onStateChanged();
    void onBreakStarted();
    // Writes the working seconds not yet written, dated `when`.
    void writeWorked(const QDateTime& when);
    void write(HistoryFile::Event event, qint64 number);
    // At the first event of a new day, the day before gets its working seconds.
    void passMidnight();
    QDateTime now() const { return QDateTime::fromMSecsSinceEpoch(m_clock()); }
    static qint64 nextMidnight(const QDateTime& time)
    {
        return time.date().addDays(1).startOfDay().toMSecsSinceEpoch();
    }

    const BreakScheduler& m_scheduler;
    HistoryWriter m_writer;
    WallClock m_clock;
    BreakScheduler::SchedulerState m_state;
    BreakType m_type;
    bool m_held = false;
    qint64 m_holdStart = 0;
    qint64 m_workedWritten;
    qint64 m_dayEnd;
};
