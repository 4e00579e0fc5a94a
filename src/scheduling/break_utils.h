#pragma once

#include <QString>

// Seconds as a short translated text of minutes and seconds ("5 m 30 s");
// "N/A" for negative values.
QString formatDuration(int seconds);
