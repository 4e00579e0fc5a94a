#include "platform/RuntimeModule.h"

// Everything the Windows program uses is linked in.
QString runtimeModuleDescription()
{
    return {};
}
