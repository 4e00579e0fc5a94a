#include "CommandLine.h"

#include "platform/AutoStartEntry.h"
#include "platform/FullScreenCover.h"
#include "platform/InputHold.h"
#include "platform/Presence.h"
#include "platform/RuntimeModule.h"
#include "platform/TrayWait.h"
#include "scheduling/BreakScheduler.h"

#include <QApplication>
#include <QFileInfo>
#include <QSettings>
#include <QTextStream>
#include <cstring>

namespace {

const char* const Usage = "Usage: respitekeeper [OPTION]\n"
                          "Reminds you to take regular breaks from the screen; it lives in the system tray.\n"
                          "Starting it again while it runs brings its settings to the front.\n"
                          "\n"
                          "  --diagnose  print what the session offers the program (display, idle time,\n"
                          "              locked screen, sleep, calls, full screen, do not disturb, input\n"
                          "              hold, break screen, tray) and where its files are; then exit\n"
                          "  --help      print this help and exit\n"
                          "  --version   print the version and exit\n";

void printDiagnosis(int& argc, char** argv)
{
    QTextStream out(stdout);
    const auto line = [&out](const char* name, const QString& value) { out << name << ": " << value << '\n'; };
    out << "RespiteKeeper " << RK_VERSION << ", Qt " << qVersion() << '\n';
    const QString session =
        QStringLiteral("XDG_SESSION_TYPE=%1, XDG_CURRENT_DESKTOP=%2")
            .arg(qEnvironmentVariable("XDG_SESSION_TYPE"), qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    if (sessionHasDisplay()) {
        QApplication app(argc, argv);
        line("platform", QGuiApplication::platformName() + QStringLiteral(" (") + session + QLatin1Char(')'));
        if (const QString module = runtimeModuleDescription(); !module.isEmpty())
            line("module", module);
        // Each source of presence: idle time, locked screen, sleep, call, full screen,
        // do not disturb.
        for (const QString& source : createPresence(BreakScheduler::IdleLimitMs + 1)->descriptions())
            out << source << '\n';
        line("input hold", createInputHold()->description());
        line("break screen", coverDescription());
        const QString tray = systemTrayKind();
        line("system tray", tray.isEmpty() ? QStringLiteral("none now") : tray);
    } else {
        line("platform", QStringLiteral("none: no display (neither DISPLAY nor WAYLAND_DISPLAY is set; ") + session +
                             QLatin1Char(')'));
    }
    const QString settings = QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("RespiteKeeper"),
                                       QStringLiteral("RespiteKeeper"))
                                 .fileName();
    line("settings", settings);
    line("log-on entry", createAutoStartEntry()->location());
}

} // namespace

std::optional<int> runCommandLineOption(int& argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            QTextStream(stdout) << Usage;
            return 0;
        }
        if (!std::strcmp(argv[i], "--version")) {
            QTextStream(stdout) << "RespiteKeeper " << RK_VERSION << '\n';
            return 0;
        }
        if (!std::strcmp(argv[i], "--diagnose")) {
            printDiagnosis(argc, argv);
            return 0;
        }
    }
    return std::nullopt;
}
