#pragma once

#include <QtGlobal>

// Milliseconds of a clock that never goes back and goes on while the machine
// sleeps; only differences mean anything.
qint64 steadyMilliseconds();
