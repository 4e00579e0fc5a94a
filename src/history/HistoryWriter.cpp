#include "HistoryWriter.h"

#include "HistoryFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Lives on the writer's thread; everything it does runs there, one call at a time.
class Worker : public QObject
{
public:
    explicit Worker(const QString& path)
        : m_file(path)
    {}

    void append(const QByteArray& line)
    {
        if (!open())
            return;
        if (m_file.write(line) != line.size() || !m_file.flush())
            fail();
    }

    void compactIfDue(QDate today)
    {
        const QDate from = today.addDays(-HistoryFile::KeepDays);
        if (!open() || !m_first.isValid() || m_first >= from.addDays(-31))
            return;
        m_file.close();
        if (!HistoryFile::compact(m_file.fileName(), from))
            qWarning("History: could not compact %s", qPrintable(m_file.fileName()));
        m_opened = false; // the new file is opened at the next line
    }

private:
    bool open()
    {
        if (m_opened)
            return m_file.isOpen();
        m_opened = true;
        QDir().mkpath(QFileInfo(m_file).absolutePath());
        // Qt opens for appending with O_APPEND: every line goes to the end as one write.
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            fail();
            return false;
        }
        m_first = HistoryFile::firstDate(m_file.fileName());
        if (m_file.size() == 0) {
            m_file.write(HistoryFile::header());
            return true;
        }
        QFile check(m_file.fileName());
        if (!check.open(QIODevice::ReadOnly) || check.read(HistoryFile::header().size()) != HistoryFile::header()) {
            // Another format's file (a later version's) is left as it is.
            qWarning("History: %s is not a history of version %d; breaks are not recorded",
                     qPrintable(m_file.fileName()), HistoryFile::Version);
            m_failed = true;
            m_file.close();
            return false;
        }
        // A line that a crash cut off is ended with a field that no line has, so
        // that it stays apart from the next and is never read as whole.
        if (check.seek(check.size() - 1) && check.read(1) != "\n")
            m_file.write("\t(cut off)\n");
        return true;
    }

    void fail()
    {
        if (!m_failed)
            qWarning("History: cannot write %s (%s); breaks are not recorded", qPrintable(m_file.fileName()),
                     qPrintable(m_file.errorString()));
        m_failed = true;
        m_file.close();
    }

    QFile m_file;
    QDate m_first;
    bool m_opened = false;
    bool m_failed = false;
};

} // namespace

HistoryWriter::HistoryWriter(const QString& path)
    : m_path(path)
    , m_worker(new Worker(path))
{
    m_thread.setObjectName(QStringLiteral("history"));
    m_worker->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
}

HistoryWriter::~HistoryWriter()
{
    if (!m_thread.isRunning()) {
        delete m_worker;
        return;
    }
    // Queued after the last lines, so they are written first.
    QMetaObject::invokeMethod(m_worker, [thread = &m_thread] { thread->quit(); });
    m_thread.wait();
}

// The thread starts with the first work for it: a run without a break has none.
void HistoryWriter::post(std::function<void(QObject*)> work)
{
    if (!m_thread.isRunning())
        m_thread.start(QThread::LowPriority);
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, work = std::move(work)] { work(worker); });
}

void HistoryWriter::append(const QByteArray& line)
{
    post([line](QObject* worker) { static_cast<Worker*>(worker)->append(line); });
}

void HistoryWriter::compactIfDue(QDate today)
{
    post([today](QObject* worker) { static_cast<Worker*>(worker)->compactIfDue(today); });
}

void HistoryWriter::waitForWrites()
{
    if (m_thread.isRunning())
        QMetaObject::invokeMethod(
            m_worker, [] {}, Qt::BlockingQueuedConnection);
}
