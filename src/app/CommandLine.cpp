#include "CommandLine.h"

#include "ControlCommand.h"
#include "platform/AutoStartEntry.h"
#include "platform/BreakSound.h"
#include "platform/Console.h"
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
#include <cstdio>
#include <cstring>

namespace {

const char* const Usage = "Usage: respitekeeper [OPTION]\n"
                          "Reminds you to take regular breaks from the screen; it lives in the system tray.\n"
                          "Starting it again while it runs brings its settings to the front.\n"
                          "\n"
                          "Commands for the running copy:\n"
                          "  --pause [DURATION]  pause the breaks for DURATION (30m, 90m, 1h30m, 2h; at\n"
                          "                      most 24h; 2h without one); a warning or break on screen ends\n"
                          "  --resume            resume the breaks\n"
                          "  --break micro|long  start a break now, its warning first\n"
                          "  --settings          bring the settings to the front\n"
                          "  --quit              quit the running copy\n"
                          "  --status            print the state and the times to the next breaks\n"
                          "    --json            as one JSON object (for waybar's custom modules)\n"
                          "    --follow          and again at each change, until the copy quits\n"
                          "Exit codes: 0 done, 1 no running copy, 2 bad use, 5 refused (the reason on the\n"
                          "standard error). A command never starts the program.\n"
                          "\n"
                          "Other options:\n"
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
        line("break sound", createBreakSound()->description());
    } else {
        line("platform", QStringLiteral("none: no display (neither DISPLAY nor WAYLAND_DISPLAY is set; ") + session +
                             QLatin1Char(')'));
        // Its module is found from the program's folder.
        QCoreApplication app(argc, argv);
        line("break sound", createBreakSound()->description());
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
    const auto given = [&](const char* option) {
        for (int i = 1; i < argc; ++i)
            if (!std::strcmp(argv[i], option))
                return true;
        return false;
    };
    const ParsedCommand parsed = parseControlCommand(argc, argv);
    const bool help = given("--help") || given("-h");
    // Only what the command line prints needs a console; a plain start takes none.
    if (help || given("--version") || given("--diagnose") || parsed.command || !parsed.badUse.isEmpty())
        useParentConsole();
    if (help) {
        QTextStream(stdout) << Usage;
        return 0;
    }
    if (given("--version")) {
        QTextStream(stdout) << "RespiteKeeper " << RK_VERSION << '\n';
        return 0;
    }
    if (given("--diagnose")) {
        printDiagnosis(argc, argv);
        return 0;
    }
    if (!parsed.badUse.isEmpty()) {
        std::fprintf(stderr, "respitekeeper: %s\n", qUtf8Printable(parsed.badUse));
        return 2;
    }
    if (parsed.command)
        return runControlCommand(*parsed.command);
    return std::nullopt;
}
