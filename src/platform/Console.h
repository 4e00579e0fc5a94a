#pragma once

// Lets what the command line prints reach the terminal it was started from. A
// program without a console of its own (a Windows GUI program) takes its parent's
// when it has one and its output is not redirected; elsewhere nothing is needed.
void useParentConsole();
