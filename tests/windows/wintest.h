#pragma once

// The checks of the Windows test programs: plain C++, run under Wine. Each program
// prints a line per check and ends with "NAME: N passed, N failed".
#include <cstdio>

namespace wintest {
inline int passed = 0;
inline int failed = 0;

inline void check(bool ok, const char* what, int line)
{
    if (ok) {
        ++passed;
        std::printf("ok: %s\n", what);
    } else {
        ++failed;
        std::printf("FAIL (line %d): %s\n", line, what);
    }
}

inline int finish(const char* name)
{
    std::printf("%s: %d passed, %d failed\n", name, passed, failed);
    return failed ? 1 : 0;
}
} // namespace wintest

#define CHECK(what, condition) wintest::check((condition), (what), __LINE__)
