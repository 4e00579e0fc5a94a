// The history's costs: reading 400 busy days, and what a written event costs the
// GUI thread (handing the line to the writer's thread) against a plain append.
#include "history/HistoryFile.h"
#include "history/HistoryWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Microseconds of each run of `work`: the median and the slowest.
template <typename Work> void measure(const char* what, int runs, Work work)
{
    std::vector<qint64> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed());
    }
    std::sort(times.begin(), times.end());
    std::printf("%-44s median %9.1f us   slowest %9.1f us   (%d runs)\n", what, times[times.size() / 2] / 1000.0,
                times.back() / 1000.0, runs);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.txt"));
    // 400 days of 30 breaks each, some postponed, held and cut short.
    const QDate today = QDate::currentDate();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(HistoryFile::header());
    for (int d = HistoryFile::KeepDays; d >= 0; --d) {
        const QDateTime day = today.addDays(-d).startOfDay().addSecs(8 * 3600);
        for (int b = 0; b < 30; ++b) {
            const QDateTime when = day.addSecs(b * 1000);
            file.write(HistoryFile::line(when, HistoryFile::Event::Worked, 1200));
            if (b % 5 == 0)
                file.write(HistoryFile::line(when, HistoryFile::Event::Postponed, 0));
            if (b % 7 == 0)
                file.write(HistoryFile::line(when, HistoryFile::Event::Held, 95));
            file.write(HistoryFile::line(when, b % 11 ? HistoryFile::Event::Taken : HistoryFile::Event::CutByPause, 0));
        }
    }
    std::printf("history of %d days: %lld bytes\n", HistoryFile::KeepDays + 1, file.size());
    file.close();

    qint64 days = 0;
    measure("read and tally 400 days", 50, [&] { days += HistoryFile::read(path).size(); });
    measure("read the last 14 days", 50, [&] { days += HistoryFile::read(path, today.addDays(-13)).size(); });
    const QByteArray line = HistoryFile::line(QDateTime::currentDateTime(), HistoryFile::Event::Taken, 0);
    {
        HistoryWriter writer(path);
        measure("an event, on the GUI thread (to the writer)", 2000, [&] { writer.append(line); });
        writer.waitForWrites();
    }
    QFile plain(path);
    if (!plain.open(QIODevice::WriteOnly | QIODevice::Append))
        return 1;
    measure("a plain append and flush (for comparison)", 2000, [&] {
        plain.write(line);
        plain.flush();
    });
    return days > 0 ? 0 : 1;
}
