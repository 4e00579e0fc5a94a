#include "platform/Console.h"

// A Linux program writes to the terminal it was started from as it is.
void useParentConsole() {}
