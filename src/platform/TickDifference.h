#pragma once

#include <cstdint>

// Milliseconds between two readings of a 32-bit millisecond tick counter. Taken
// modulo 2^32, so the difference stays right across the counter's wrap after
// about 49.7 days of uptime.
inline std::uint32_t tickDifference(std::uint32_t now, std::uint32_t earlier)
{
    return static_cast<std::uint32_t>(now - earlier);
}
