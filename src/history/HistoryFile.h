#pragma once

#include <QByteArray>
#include <QDate>
#include <QMap>
#include <QString>

class QDateTime;

// What became of the breaks of one day, and the working time counted on it.
struct DayTally
{
    int taken = 0;
    int postponed = 0;
    int cutShort = 0;
    int held = 0;
    qint64 heldSeconds = 0;
    qint64 workedSeconds = 0;

    bool operator==(const DayTally& o) const
    {
        return taken == o.taken && postponed == o.postponed && cutShort == o.cutShort && held == o.held &&
               heldSeconds == o.heldSeconds && workedSeconds == o.workedSeconds;
    }
};
using DayTallies = QMap<QDate, DayTally>;

// The break history: a text file only ever appended to, one event a line,
//   2026-12-08<TAB>14:05:00<TAB>taken<TAB>0
// after a first line that names the format and its version. The number is the
// break type (0 micro, 1 long) for a break's fate and seconds for "held" and
// "worked". A line that a crash cut off, or that cannot be read, is skipped.
namespace HistoryFile {

enum class Event { Taken, Postponed, CutByPause, CutByQuit, Held, Worked };

constexpr int Version = 1;
// Days kept; older lines go when the file is next compacted.
constexpr int KeepDays = 400;

QString defaultPath();
QByteArray header();
QByteArray line(const QDateTime& when, Event event, qint64 number);

struct Contents
{
    DayTallies days;
    int damagedLines = 0;
};
// The days from `from` on (all when it is null).
Contents parse(const QByteArray& text, QDate from = {});
// The file's days; damaged lines are reported in the log, once per file and run.
DayTallies read(const QString& path, QDate from = {});
// The date of the file's first event; null when it has none.
QDate firstDate(const QString& path);
// Rewrites the file without the lines dated before `from` and without damaged
// ones, into a new file that then replaces it. False when it could not.
bool compact(const QString& path, QDate from);

} // namespace HistoryFile
