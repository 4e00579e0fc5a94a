#pragma once

// Shuts the computer down at once, closing running programs: first through the
// system's own interface, then through its shutdown command. Each step's outcome
// goes to the debug log; the call always returns.
void shutdownSystem();
