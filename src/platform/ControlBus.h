#pragma once

#include <QObject>
#include <memory>

class RemoteControl;

// Offers the program's commands and state on the desktop's message bus where the
// platform has one (the user's session bus on Linux); the object returned keeps
// them offered until it goes. Null where there is no such bus, with a log line why.
std::unique_ptr<QObject> offerControlOnBus(RemoteControl& control);
