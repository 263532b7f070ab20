# Cross-compiles for 32-bit Windows with MinGW-w64 (POSIX thread model, as for x86_64) and runs
# the results under Wine's 32-bit loader. Most processes that host controls are 32-bit.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CORVANE_WIDL i686-w64-mingw32-widl)
set(CORVANE_WINDMC i686-w64-mingw32-windmc)
# Wine's own 32-bit libraries, where widl finds the imported stdole2.tlb.
set(CORVANE_WINE_WINDOWS_LIBS /usr/lib/i386-linux-gnu/wine/i386-windows)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env CORVANE_BITS=32 ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
