#pragma once

#include <QString>

// The part of the program that a session loads at run time, for a diagnosis: which
// file it came from, or why it could not be loaded (each place tried, with the
// loader's answer). Empty where the session needs none.
QString runtimeModuleDescription();
