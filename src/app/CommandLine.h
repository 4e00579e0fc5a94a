#pragma once

#include <optional>

// The program's own command-line options, which work with or without a display:
// --help, --version and --diagnose. Returns the exit code when one was given, or
// nothing when the program is to start as usual (Qt's options are left to Qt).
std::optional<int> runCommandLineOption(int& argc, char** argv);
