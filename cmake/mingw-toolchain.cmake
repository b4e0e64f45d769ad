# The body of the MinGW-w64 toolchain files: ZB_MINGW_PROCESSOR (i686 or x86_64) and
# ZB_MINGW_EMULATOR (the Wine loader that runs the test programs) are set by the file that
# includes this one. The posix-thread compilers are used because GoogleTest needs std::mutex,
# which the win32-thread compilers lack.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ZB_MINGW_PROCESSOR})
set(CMAKE_C_COMPILER ${ZB_MINGW_PROCESSOR}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZB_MINGW_PROCESSOR}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${ZB_MINGW_PROCESSOR}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZB_MINGW_PROCESSOR}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# A CACHE entry, so that -DCMAKE_CROSSCOMPILING_EMULATOR=... on the command line still wins.
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZB_MINGW_EMULATOR} CACHE STRING "runs Win32 test programs")
