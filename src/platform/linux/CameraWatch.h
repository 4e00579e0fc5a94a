#pragma once

#include "platform/PresenceSource.h"

#include <QString>
#include <algorithm>
#include <map>
#include <memory>

class QSocketNotifier;

// On while some program has a camera open (/dev/video*), told by inotify: the opens
// and closes of each camera file, and the cameras that come and go in the device
// folder. The cameras open at start are found in the processes' open files (/proc/
// PID/fd; those of other users only when we may read them). Only the camera files
// are watched for opens, so that the opens of other device files wake nothing.
class CameraWatch : public PresenceSource
{
public:
    explicit CameraWatch(const QString& deviceFolder = QStringLiteral("/dev"),
                         const QString& processFolder = QStringLiteral("/proc"));
    ~CameraWatch() override;

    // Whether inotify could watch the device folder; a source that cannot is not used.
    bool watching() const { return m_folderWatch >= 0; }
    QString description() const override;

private:
    struct Camera
    {
        QString path;
        int opens = 0;
    };
    void watchCamera(const QString& name);
    void forgetCamera(const QString& name);
    void countOpenFiles();
    void readEvents();
    void update()
    {
        setOn(std::any_of(m_cameras.begin(), m_cameras.end(), [](auto& c) { return c.second.opens > 0; }));
    }

    QString m_folder;
    QString m_processFolder;
    int m_fd = -1;
    int m_folderWatch = -1;
    std::map<int, Camera> m_cameras; // by watch
    std::unique_ptr<QSocketNotifier> m_notifier;
};
