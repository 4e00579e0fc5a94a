#include "TestHelpers.h"
#include "history/HistoryRecorder.h"

#include <QRegularExpression>

namespace {

// A real scheduler on a hand-driven clock, from a given local time on, with a
// recorder writing into a folder of the test's own.
struct Rig : LoadedSettings
{
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("RespiteKeeper/history.txt"));
    BreakScheduler scheduler{settings.breakRhythm()};
    ManualClock clock;
    qint64 startMs;
    std::optional<HistoryRecorder> recorder;

    explicit Rig(QTime startTime = QTime(9, 0))
        : startMs(QDateTime(QDate(2026, 3, 10), startTime).toMSecsSinceEpoch())
    {
        clock.drive(scheduler);
        recorder.emplace(scheduler, path, [this] { return startMs + clock.now; });
        scheduler.start();
    }
    void tick(int count) { clock.tick(scheduler, count); }
    // The file's events after its first line: "day event number", the day of the month.
    QString events()
    {
        if (recorder)
            recorder->writer().waitForWrites();
        QStringList lines = QString::fromLatin1(readFile(path)).split('\n', Qt::SkipEmptyParts).mid(1);
        for (QString& line : lines)
            line = QStringList{line.section('\t', 0, 0).right(2), line.section('\t', 2)}.join(' ').replace('\t', ' ');
        return lines.join(", ");
    }
};

QByteArray day(QDate date, const QByteArray& events)
{
    QByteArray lines;
    for (const QByteArray& event : events.split(','))
        lines += date.toString(Qt::ISODate).toLatin1() + "\t12:00:00\t" + event.trimmed().replace(' ', '\t') + '\n';
    return lines;
}

} // namespace

char* toString(const DayTally& t)
{
    return qstrdup(QString::asprintf("{%d, %d, %d, %d, %lld, %lld}", t.taken, t.postponed, t.cutShort, t.held,
                                     t.heldSeconds, t.workedSeconds)
                       .toLatin1());
}

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    // Each fate is written when it happens, the working seconds with it.
    void everyFateOfABreak()
    {
        Rig rig;
        rig.tick(1200 + 10 + 20);
        QCOMPARE(rig.events(), "10 worked 1200, 10 taken 0");
        // Postponed in the warning and on the break, then cut short by a pause.
        rig.tick(1200 + 5);
        rig.scheduler.postponeBreak();
        rig.tick(300 + 10 + 5);
        rig.scheduler.postponeBreak();
        rig.tick(300 + 3);
        rig.scheduler.pauseFor(60);
        QCOMPARE(rig.events(), "10 worked 1200, 10 taken 0, 10 worked 1200, 10 postponed 0, 10 worked 300, "
                               "10 postponed 0, 10 worked 300, 10 paused 0");
        // Due again after the pause, it is held through a call, then taken.
        rig.clock.call->setOn(true);
        rig.tick(60 + 1 + 45);
        rig.clock.call->setOn(false);
        rig.tick(1 + 10 + 20);
        QVERIFY(rig.events().endsWith("10 paused 0, 10 worked 47, 10 held 46, 10 taken 0"));
        // The next, long, is stopped in its warning, then quit in it.
        rig.tick(1200);
        rig.scheduler.stop();
        rig.scheduler.start();
        rig.tick(1200 + 2);
        rig.recorder.reset();
        QVERIFY(rig.events().endsWith("10 taken 0, 10 worked 1200, 10 paused 1, 10 worked 1200, 10 quit 1"));
        QCOMPARE(HistoryFile::read(rig.path).value(QDate(2026, 3, 10)), (DayTally{2, 2, 3, 1, 46, 5447}));
        // A warning withdrawn by a call is held, not cut short; quitting while held writes the hold.
        Rig held;
        held.tick(1200 + 2);
        held.clock.call->setOn(true);
        held.tick(30);
        held.recorder.reset();
        QCOMPARE(held.events(), "10 worked 1230, 10 held 30");
    }

    // The program as start-up builds it writes into the user's data folder; a break
    // on screen when it quits is cut short.
    void programKeepsTheHistory()
    {
        {
            RunningProgram run;
            run.tick(1200 + 10 + 20 + 1200 + 3);
        }
        DayTally all;
        for (const DayTally& day : HistoryFile::read(HistoryFile::defaultPath())) {
            all.taken += day.taken;
            all.cutShort += day.cutShort;
            all.workedSeconds += day.workedSeconds;
        }
        QCOMPARE(all, (DayTally{1, 0, 1, 0, 0, 2400}));
    }

    // The working seconds before midnight belong to the day that ends.
    void dayBoundary()
    {
        Rig rig(QTime(23, 50));
        rig.tick(1200 + 10 + 20);
        QCOMPARE(rig.events(), "10 worked 600, 11 worked 600, 11 taken 0");
        const DayTallies days = HistoryFile::read(rig.path);
        QCOMPARE(days.keys(), (QList{QDate(2026, 3, 10), QDate(2026, 3, 11)}));
        QCOMPARE(days.first().workedSeconds, 600);
        QCOMPARE(days.last(), (DayTally{1, 0, 0, 0, 0, 600}));
    }

    // A line torn by a crash, or damaged, is skipped and reported once; the next
    // line written stands on its own; compacting drops the damaged lines.
    void damagedLines()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.txt"));
        const QDate today(2026, 3, 10);
        QVERIFY(writeFile(path, HistoryFile::header() + day(today, "taken 0, postponed 1, held 12, worked 60") +
                                    "2026-03-10\tnonsense\n2026-03-10\t12:00:00\tworked\t1" +
                                    "\n2026-03-10\t12:00:00\tworked\t3"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^History: 2 damaged line\\(s\\) in .* skipped$"));
        QCOMPARE(HistoryFile::read(path), (DayTallies{{today, DayTally{1, 1, 0, 1, 12, 61}}}));
        QTest::failOnWarning(QRegularExpression("damaged"));
        HistoryFile::read(path);
        {
            HistoryWriter writer(path);
            writer.append(HistoryFile::line(today.startOfDay(), HistoryFile::Event::Taken, 1));
        }
        QCOMPARE(HistoryFile::parse(readFile(path)).days.value(today).taken, 2);
        QVERIFY(HistoryFile::compact(path, today));
        QCOMPARE(HistoryFile::parse(readFile(path)).damagedLines, 0);
        QCOMPARE(HistoryFile::parse(readFile(path)).days.value(today), (DayTally{2, 1, 0, 1, 12, 61}));
        // A file of another format is not read, and no line of it counts; nor is
        // it written to.
        const QByteArray later = "RespiteKeeper history\t2\n" + day(today, "taken 0");
        QVERIFY(writeFile(path, later));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("is not a history of version 1; it is not read$"));
        QVERIFY(HistoryFile::read(path).isEmpty());
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("is not a history of version 1; breaks are not recorded$"));
        QTest::failOnWarning(QRegularExpression("breaks are not recorded"));
        {
            HistoryWriter writer(path);
            writer.append(HistoryFile::line(today.startOfDay(), HistoryFile::Event::Taken, 1));
            writer.append(HistoryFile::line(today.startOfDay(), HistoryFile::Event::Taken, 1));
        }
        QCOMPARE(readFile(path), later);
    }

    // A file of 460 days: read whole; at a break start the worker rewrites it with
    // the last 400 days only, once they are a month over.
    void longHistoryIsCompacted()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.txt"));
        const QDate today(2026, 3, 10);
        QByteArray text = HistoryFile::header();
        for (int i = 459; i >= 0; --i)
            text += day(today.addDays(-i), "worked 600, taken 0, taken 0, postponed 0, paused 1, worked 900");
        QVERIFY(writeFile(path, text));
        const DayTallies days = HistoryFile::read(path);
        QCOMPARE(days.size(), 460);
        QCOMPARE(days.first(), (DayTally{2, 1, 1, 0, 0, 1500}));
        HistoryWriter writer(path);
        writer.compactIfDue(today.addDays(-40));
        writer.waitForWrites();
        QCOMPARE(HistoryFile::read(path).size(), 460);
        writer.compactIfDue(today);
        writer.append(HistoryFile::line(today.startOfDay(), HistoryFile::Event::Taken, 0));
        writer.waitForWrites();
        const DayTallies kept = HistoryFile::read(path);
        QCOMPARE(kept.size(), 401);
        QCOMPARE(kept.firstKey(), today.addDays(-HistoryFile::KeepDays));
        QCOMPARE(kept.last().taken, 3);
    }

    // A data folder that cannot be written: one line in the log, and breaks go on.
    void unwritableFolder()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("file"))));
        const QString path = dir.filePath(QStringLiteral("file/RespiteKeeper/history.txt"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^History: cannot write .*; breaks are not recorded$"));
        QTest::failOnWarning(QRegularExpression("cannot write"));
        LoadedSettings loaded;
        BreakScheduler scheduler(loaded.settings.breakRhythm());
        ManualClock clock;
        clock.drive(scheduler);
        {
            HistoryRecorder recorder(scheduler, path);
            scheduler.start();
            clock.tick(scheduler, 2 * (1200 + 10 + 20));
            recorder.writer().waitForWrites();
        }
        QCOMPARE(scheduler.completedBreaks(), 2);
        QVERIFY(HistoryFile::read(path).isEmpty());
        // A full disk, likewise.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^History: cannot write .*full.txt"));
        const FullDisk full;
        HistoryWriter writer(dir.filePath(QStringLiteral("full.txt")));
        for (int i = 0; i < 3; ++i)
            writer.append(HistoryFile::line(QDateTime::currentDateTime(), HistoryFile::Event::Taken, 0));
        writer.waitForWrites();
    }
};

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
