#include "platform/ControlBus.h"

// Windows has no session bus: the commands come through the named pipe alone.
std::unique_ptr<QObject> offerControlOnBus(RemoteControl&)
{
    return nullptr;
}
