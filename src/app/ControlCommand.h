#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// A command for the running copy, as the command line gives it.
struct ControlCommand
{
    QByteArray request; // "RK1 COMMAND [ARGUMENT]"
    bool follow = false;
};

// What the command line asks for: nothing of ours (start as usual), a command, or
// bad use with one line that says what is wrong.
struct ParsedCommand
{
    std::optional<ControlCommand> command;
    QString badUse;
};

// The options that make a command: --pause [DURATION], --resume, --break KIND,
// --settings, --quit, --status [--json] [--follow].
ParsedCommand parseControlCommand(int argc, char** argv);

// "30m", "90m", "1h30m", "2h", "45s": seconds, or nothing when it is not one.
std::optional<qint64> parseDuration(const QString& text);

// Sends the command to the running copy, prints its answer, and returns the exit
// code: 0 done, 1 no running copy (or none that takes commands), 5 the running copy
// refused it (why on the standard error).
int runControlCommand(const ControlCommand& command);
