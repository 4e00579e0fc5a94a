# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix thread model, so
# std::thread and std::mutex work). Used to build Qt for Windows
# (scripts/build-qt-windows) and the program's own Windows build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RK_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${RK_MINGW_TRIPLET}-windres)

# Libraries, headers and CMake packages come from the MinGW tree only, never from the
# Linux host; programs (moc, rcc, ...) run on the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${RK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
