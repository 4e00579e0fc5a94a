#pragma once

// Runs the program from the application object to the end of the event loop and
// returns the process exit code.
int runRespiteKeeper(int& argc, char** argv);
