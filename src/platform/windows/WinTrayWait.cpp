#include "platform/TrayWait.h"

int systemTrayWaitMs()
{
    // The shell's notification area is there before Run entries start.
    return 0;
}
