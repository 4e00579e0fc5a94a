#include "HistoryFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <array>

namespace HistoryFile {
namespace {

constexpr std::array<const char*, 6> EventNames{"taken", "postponed", "paused", "quit", "held", "worked"};

// Digits only, at most 12 of them; -1 otherwise.
qint64 number(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 12)
        return -1;
    qint64 value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

QDate date(QByteArrayView text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return {};
    const qint64 year = number(text.first(4)), month = number(text.sliced(5, 2)), day = number(text.sliced(8, 2));
    return year < 0 || month < 0 || day < 0 ? QDate() : QDate(int(year), int(month), int(day));
}

// Adds one line to the tally; false when it is not a line of the format.
bool count(QByteArrayView line, QDate from, DayTallies& days)
{
    std::array<QByteArrayView, 4> fields;
    qsizetype start = 0;
    for (int i = 0; i < 4; ++i) {
        const qsizetype end = i < 3 ? line.indexOf('\t', start) : line.size();
        if (end < 0)
            return false;
        fields[i] = line.sliced(start, end - start);
        start = end + 1;
    }
    const QDate day = date(fields[0]);
    const qint64 value = number(fields[3]);
    const auto known = std::find(EventNames.begin(), EventNames.end(), fields[2]);
    if (!day.isValid() || fields[1].size() != 8 || value < 0 || known == EventNames.end())
        return false;
    if (day < from)
        return true;
    DayTally& tally = days[day];
    switch (Event(known - EventNames.begin())) {
    case Event::Taken:
        ++tally.taken;
        break;
    case Event::Postponed:
        ++tally.postponed;
        break;
    case Event::CutByPause:
    case Event::CutByQuit:
        ++tally.cutShort;
        break;
    case Event::Held:
        ++tally.held;
        tally.heldSeconds += value;
        break;
    case Event::Worked:
        tally.workedSeconds += value;
        break;
    }
    return true;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QString defaultPath()
{
    // ~/.local/share on Linux, %LOCALAPPDATA% on Windows.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/RespiteKeeper/history.txt");
}

QByteArray header()
{
    return "RespiteKeeper history\t" + QByteArray::number(Version) + '\n';
}

QByteArray line(const QDateTime& when, Event event, qint64 number)
{
    return when.toString(QStringLiteral("yyyy-MM-dd\tHH:mm:ss\t")).toLatin1() + EventNames[int(event)] + '\t' +
           QByteArray::number(number) + '\n';
}

Contents parse(const QByteArray& text, QDate from)
{
    Contents contents;
    qsizetype start = text.indexOf('\n') + 1; // past the header
    if (start == 0 || !text.startsWith(header()))
        return contents;
    while (start < text.size()) {
        const qsizetype end = text.indexOf('\n', start);
        // A last line without its end was cut off by a crash.
        if (end < 0 || !count(QByteArrayView(text).sliced(start, end - start), from, contents.days))
            ++contents.damagedLines;
        if (end < 0)
            break;
        start = end + 1;
    }
    return contents;
}

DayTallies read(const QString& path, QDate from)
{
    const QByteArray text = readAll(path);
    const Contents contents = parse(text, from);
    if (!text.isEmpty() && !text.startsWith(header()))
        qWarning("History: %s is not a history of version %d; it is not read", qPrintable(path), Version);
    static QMutex mutex;
    static QSet<QString> reported;
    const QMutexLocker lock(&mutex);
    if (contents.damagedLines > 0 && !reported.contains(path)) {
        reported.insert(path);
        qWarning("History: %d damaged line(s) in %s skipped", contents.damagedLines, qPrintable(path));
    }
    return contents.days;
}

QDate firstDate(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.readLine() != header())
        return {};
    const QByteArray first = file.readLine();
    return date(QByteArrayView(first).first(std::min<qsizetype>(10, first.size())));
}

bool compact(const QString& path, QDate from)
{
    const QByteArray text = readAll(path);
    if (!text.startsWith(header()))
        return false;
    QByteArray kept = header();
    kept.reserve(text.size());
    const QByteArrayView all(text);
    qsizetype start = header().size();
    DayTallies ignored;
    while (start < text.size()) {
        const qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            break;
        const QByteArrayView line = all.sliced(start, end - start);
        if (count(line, {}, ignored) && date(line.first(10)) >= from)
            kept += line.toByteArray() + '\n';
        start = end + 1;
    }
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(kept) == kept.size() && file.commit();
}

} // namespace HistoryFile
