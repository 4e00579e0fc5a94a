// Linked into every test program: before main() runs, the settings, the autostart
// folder, the runtime folder and the system bus all point into a temporary folder
// of this process, so no test touches the user's files or the real system bus,
// however the test is started.
#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

namespace {

struct TestSandbox
{
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/respitekeeper-test-XXXXXX")};

    TestSandbox()
    {
        const QByteArray root = QFile::encodeName(dir.path());
        QDir().mkpath(dir.path() + QStringLiteral("/config"));
        QDir().mkpath(dir.path() + QStringLiteral("/runtime"));
        QFile::setPermissions(dir.path() + QStringLiteral("/runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_CONFIG_HOME", root + "/config");
        qputenv("XDG_RUNTIME_DIR", root + "/runtime");
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + root + "/no-system-bus");
    }
};

const TestSandbox s_sandbox;

} // namespace
