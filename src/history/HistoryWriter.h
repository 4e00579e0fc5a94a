#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QThread>
#include <functional>

class QObject;

// Appends lines to the history file on a thread of its own (started with the
// first line), in the order given, so that a slow disk never holds up the
// program; the file is opened once, for appending. A folder that cannot be written is said once in the log, and the
// lines are then dropped. Destroying it writes what is still queued.
class HistoryWriter
{
public:
    explicit HistoryWriter(const QString& path);
    ~HistoryWriter();
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    void append(const QByteArray& line);
    // Drops the days before `today` - KeepDays once the file holds a month more
    // than that, by writing a new file that replaces it.
    void compactIfDue(QDate today);
    // Returns once everything queued before has been written.
    void waitForWrites();

    const QString& path() const { return m_path; }

private:
    void post(std::function<void(QObject*)> work);

    const QString m_path;
    QThread m_thread;
    QObject* m_worker;
};
