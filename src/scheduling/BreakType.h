#pragma once

#include <QMetaType>

// The kind of a break; carried as a 32-bit integer in signals.
enum BreakType : qint32 { Micro = 0, Long = 1 };

Q_DECLARE_METATYPE(BreakType)
