#include "CameraWatch.h"

#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <algorithm>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// "video" and a number. Read by hand: a regular expression, or a name filter, would
// load the pattern library for good, half a megabyte.
bool isCamera(const QString& name)
{
    const QStringView number = QStringView(name).mid(5);
    return name.startsWith(QLatin1String("video")) && !number.isEmpty() &&
           std::all_of(number.begin(), number.end(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

} // namespace

CameraWatch::CameraWatch(const QString& deviceFolder, const QString& processFolder)
    : m_folder(QDir(deviceFolder).canonicalPath())
    , m_processFolder(processFolder)
{
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0 || m_folder.isEmpty())
        return;
    // Cameras come and go rarely; the folder's other files are not watched for opens.
    m_folderWatch = inotify_add_watch(m_fd, QFile::encodeName(m_folder).constData(), IN_CREATE | IN_DELETE);
    if (m_folderWatch < 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { readEvents(); });
    const QStringList names = QDir(m_folder).entryList(QDir::System | QDir::Files);
    for (const QString& name : names) {
        if (isCamera(name))
            watchCamera(name);
    }
    // After the watches, so that no close is missed: an open in between may be
    // counted twice, a close never lost.
    countOpenFiles();
}

CameraWatch::~CameraWatch()
{
    m_notifier.reset();
    if (m_fd >= 0)
        close(m_fd);
}

QString CameraWatch::description() const
{
    if (!watching())
        return QStringLiteral("none: %1 cannot be watched").arg(m_folder);
    return QStringLiteral("cameras opened by any program (%1/video*, %2 now)").arg(m_folder).arg(m_cameras.size());
}

void CameraWatch::watchCamera(const QString& name)
{
    const QString path = m_folder + QLatin1Char('/') + name;
    const int watch = inotify_add_watch(m_fd, QFile::encodeName(path).constData(), IN_OPEN | IN_CLOSE);
    if (watch < 0) {
        qInfo("Presence: camera %s cannot be watched: %s", qPrintable(path), strerror(errno));
        return;
    }
    m_cameras[watch] = {path, 0};
}

void CameraWatch::forgetCamera(const QString& name)
{
    const QString path = m_folder + QLatin1Char('/') + name;
    const auto found = std::find_if(m_cameras.begin(), m_cameras.end(),
                                    [&](const auto& camera) { return camera.second.path == path; });
    if (found == m_cameras.end())
        return;
    inotify_rm_watch(m_fd, found->first);
    m_cameras.erase(found);
    update();
}

void CameraWatch::countOpenFiles()
{
    for (auto& camera : m_cameras)
        camera.second.opens = 0;
    const QStringList processes = QDir(m_processFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString& process : processes) {
        const QDir fds(m_processFolder + QLatin1Char('/') + process + QStringLiteral("/fd"));
        for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
            const QString target = fd.symLinkTarget();
            for (auto& camera : m_cameras)
                camera.second.opens += target == camera.second.path;
        }
    }
    update();
}

void CameraWatch::readEvents()
{
    alignas(inotify_event) char buffer[4096];
    ssize_t length;
    bool recount = false;
    while ((length = read(m_fd, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                countOpenFiles();
                continue;
            }
            const QString name = event->len ? QFile::decodeName(event->name) : QString();
            if (event->wd == m_folderWatch) {
                if (!isCamera(name))
                    continue;
                forgetCamera(name);
                if (event->mask & IN_CREATE) {
                    watchCamera(name);
                    // A program may have opened it before it was watched.
                    recount = true;
                }
                continue;
            }
            const auto camera = m_cameras.find(event->wd);
            if (camera == m_cameras.end())
                continue;
            if (event->mask & IN_IGNORED) {
                m_cameras.erase(camera);
            } else if (event->mask & IN_OPEN) {
                ++camera->second.opens;
            } else if (event->mask & IN_CLOSE) {
                // Never below zero: an open before the start that we could not see.
                camera->second.opens = std::max(0, camera->second.opens - 1);
                recount = true;
            }
        }
    }
    // inotify merges an event with the one before it while both are unread and
    // alike: two opens in a row may come as one, and two closes too. Closes are
    // rare, and at each the count is made again from the open files.
    if (recount)
        countOpenFiles();
    else
        update();
}
