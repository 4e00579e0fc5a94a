#include "platform/linux/CameraWatch.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// Camera files in a temporary folder: opening a plain file is told by inotify just
// as opening a device is. A close is queued before close() returns, so one turn of
// the event loop has it.
class TestCameraWatch : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dev;
    QString path(const char* name) const { return m_dev.filePath(QString::fromLatin1(name)); }
    std::unique_ptr<QFile> open(const char* name)
    {
        auto file = std::make_unique<QFile>(path(name));
        file->open(QIODevice::ReadWrite);
        return file;
    }
    static bool onAfterEvents(const CameraWatch& watch)
    {
        QCoreApplication::processEvents();
        return watch.isOn();
    }

private slots:
    void init()
    {
        for (const char* name : {"video0", "video1", "null"})
            QVERIFY(open(name)->isOpen());
    }

    void opensAndClosesOfEachCamera()
    {
        CameraWatch watch(m_dev.path());
        QVERIFY(watch.watching());
        QVERIFY(!watch.isOn());
        auto other = open("null");
        QVERIFY(!onAfterEvents(watch));
        auto first = open("video0");
        QVERIFY(onAfterEvents(watch));
        auto second = open("video1");
        first->close();
        QVERIFY(onAfterEvents(watch));
        second->close();
        QVERIFY(!onAfterEvents(watch));
        // Two opens in a row come as one event; the count stays right.
        auto again = open("video0");
        auto twice = open("video0");
        QVERIFY(onAfterEvents(watch));
        again->close();
        QVERIFY(onAfterEvents(watch));
        twice->close();
        QVERIFY(!onAfterEvents(watch));
    }

    void camerasThatComeAndGo()
    {
        CameraWatch watch(m_dev.path());
        auto plugged = open("video7");
        QVERIFY(onAfterEvents(watch));
        QVERIFY(QFile::remove(path("video7")));
        QVERIFY(!onAfterEvents(watch));
        plugged->close();
        QVERIFY(!onAfterEvents(watch));
        auto again = open("video7");
        QVERIFY(onAfterEvents(watch));
    }

    void openBeforeTheStart()
    {
        auto early = open("video1");
        CameraWatch watch(m_dev.path());
        QVERIFY(watch.isOn());
        early->close();
        QVERIFY(!onAfterEvents(watch));
    }

    void unseenOpenBeforeTheStartCountsNoLowerThanZero()
    {
        auto early = open("video0");
        QTemporaryDir noProcesses;
        CameraWatch watch(m_dev.path(), noProcesses.path());
        QVERIFY(!watch.isOn());
        early->close();
        QVERIFY(!onAfterEvents(watch));
        auto later = open("video0");
        QVERIFY(onAfterEvents(watch));
    }

    void aFolderThatCannotBeWatched()
    {
        CameraWatch watch(m_dev.filePath(QStringLiteral("missing")));
        QVERIFY(!watch.watching());
        QVERIFY(watch.description().startsWith(QLatin1String("none")));
    }
};

QTEST_GUILESS_MAIN(TestCameraWatch)
#include "tst_camerawatch.moc"
