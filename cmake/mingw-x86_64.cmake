# Cross build for 64-bit Windows with MinGW-w64: the Win32 test programs on machines that
# cannot run 32-bit code (scripts/wine-env.sh).
set(ZB_MINGW_PROCESSOR x86_64)
# /usr/bin/wine prefers the 32-bit loader whenever it is installed, runnable or not.
set(ZB_MINGW_EMULATOR /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
