#include "ControlCommand.h"

#include "RemoteControl.h"
#include "SingleInstance.h"
#include "platform/InstanceChannel.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int ConnectWaitMs = 1000;
// A running copy answers a command at once, unless it hangs.
constexpr int AnswerWaitMs = 5000;
constexpr int RefusedExitCode = 5;

const char* const DefaultPause = "2h";

void printError(const QString& line)
{
    std::fprintf(stderr, "respitekeeper: %s\n", qUtf8Printable(line));
}

bool isOption(const char* argument)
{
    return argument[0] == '-';
}

} // namespace

std::optional<qint64> parseDuration(const QString& text)
{
    qint64 total = 0;
    qsizetype at = 0;
    QChar lastUnit;
    const QString units = QStringLiteral("hms");
    while (at < text.size()) {
        qsizetype digits = at;
        while (digits < text.size() && text.at(digits).isDigit() && text.at(digits).unicode() < 128)
            ++digits;
        if (digits == at || digits == text.size() || digits - at > 6)
            return std::nullopt;
        const QChar unit = text.at(digits);
        // Each unit once, larger ones first: 1h30m, not 30m1h or 1h1h.
        if (!units.contains(unit) || (!lastUnit.isNull() && units.indexOf(unit) <= units.indexOf(lastUnit)))
            return std::nullopt;
        const qint64 number = text.mid(at, digits - at).toLongLong();
        total += number * (unit == QLatin1Char('h') ? 3600 : unit == QLatin1Char('m') ? 60 : 1);
        lastUnit = unit;
        at = digits + 1;
    }
    if (text.isEmpty())
        return std::nullopt;
    return total;
}

ParsedCommand parseControlCommand(int argc, char** argv)
{
    ParsedCommand parsed;
    QByteArray request;
    bool json = false;
    bool follow = false;
    const auto bad = [&parsed](const QString& why) {
        parsed.badUse = why + QStringLiteral("; see 'respitekeeper --help'");
        parsed.command.reset();
        return parsed;
    };
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        QByteArray next;
        // Options that are not commands.
        if (!std::strcmp(option, "--help") || !std::strcmp(option, "--version") || !std::strcmp(option, "--diagnose"))
            continue;
        if (!std::strcmp(option, "--json")) {
            json = true;
            continue;
        }
        if (!std::strcmp(option, "--follow")) {
            follow = true;
            continue;
        }
        if (!std::strcmp(option, "--pause")) {
            const QString text = i + 1 < argc && !isOption(argv[i + 1]) ? QString::fromLocal8Bit(argv[++i])
                                                                        : QString::fromLatin1(DefaultPause);
            const std::optional<qint64> seconds = parseDuration(text);
            if (!seconds)
                return bad(QStringLiteral("\"%1\" is not a duration such as 30m, 1h30m or 2h").arg(text.left(40)));
            if (*seconds < 1 || *seconds > RemoteControl::MaxPauseSeconds)
                return bad(QStringLiteral("a pause lasts from 1 second to 24 hours, not %1").arg(text.left(40)));
            next = "pause " + QByteArray::number(*seconds);
        } else if (!std::strcmp(option, "--break")) {
            if (i + 1 >= argc || (std::strcmp(argv[i + 1], "micro") && std::strcmp(argv[i + 1], "long")))
                return bad(QStringLiteral("--break takes \"micro\" or \"long\""));
            next = QByteArray("break ") + argv[++i];
        } else if (!std::strcmp(option, "--resume")) {
            next = "resume";
        } else if (!std::strcmp(option, "--settings")) {
            next = "settings";
        } else if (!std::strcmp(option, "--quit")) {
            next = "quit";
        } else if (!std::strcmp(option, "--status")) {
            next = "status";
        } else if (std::strncmp(option, "--", 2) == 0) {
            return bad(QStringLiteral("unknown option \"%1\"").arg(QString::fromLocal8Bit(option).left(40)));
        } else {
            // Qt's own options (-platform, -style) and their values are Qt's.
            continue;
        }
        if (!request.isEmpty())
            return bad(QStringLiteral("one command at a time"));
        request = next;
    }
    if ((json || follow) && request != "status")
        return bad(QStringLiteral("--json and --follow go with --status"));
    if (request.isEmpty())
        return parsed;
    if (follow)
        request = "follow";
    if (json)
        request += " json";
    parsed.command = ControlCommand{QByteArrayLiteral("RK1 ") + request, follow};
    return parsed;
}

int runControlCommand(const ControlCommand& command)
{
    const InstanceChannel channel = instanceChannel(QString::fromLatin1(SingleInstance::ServerName));
    if (!channel.problem.isEmpty()) {
        printError(QStringLiteral("no running copy: ") + channel.problem);
        return 1;
    }
    // The first line says whether the copy did it; what follows goes to the output
    // as it comes.
    QByteArray head;
    bool headRead = false;
    int code = 0;
    const auto take = [&](const QByteArray& bytes) {
        QByteArray rest = bytes;
        if (!headRead) {
            head += bytes;
            const qsizetype end = head.indexOf('\n');
            if (end < 0)
                return head.size() < 4096;
            headRead = true;
            rest = head.mid(end + 1);
            head.truncate(end);
            if (head != "ok") {
                printError(head.startsWith("error ") ? QString::fromUtf8(head.mid(6))
                                                     : QStringLiteral("the running copy gave no answer it knows"));
                code = RefusedExitCode;
                return false;
            }
        }
        if (!rest.isEmpty() && (std::fwrite(rest.constData(), 1, size_t(rest.size()), stdout) != size_t(rest.size()) ||
                                std::fflush(stdout) != 0))
            return false; // nobody reads on
        return true;
    };
    switch (exchangeWithRunningCopy(channel.serverName, command.request, ConnectWaitMs, AnswerWaitMs, take)) {
    case Exchange::NoCopy:
        printError(QStringLiteral("RespiteKeeper is not running"));
        return 1;
    case Exchange::Unread:
        printError(QStringLiteral("the running copy is an earlier version that takes no commands; quit it from its "
                                  "tray menu and start this one"));
        return 1;
    case Exchange::Silent:
        printError(QStringLiteral("the running copy did not answer within %1 s").arg(AnswerWaitMs / 1000));
        return 1;
    case Exchange::Answered:
        break;
    }
    if (!headRead && code == 0) {
        printError(QStringLiteral("the running copy closed the connection before it answered"));
        return 1;
    }
    return code;
}
