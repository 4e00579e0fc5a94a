#include "platform/ControlBus.h"

// Placeholder until the session bus interface is in.
std::unique_ptr<QObject> offerControlOnBus(RemoteControl&)
{
    return nullptr;
}
