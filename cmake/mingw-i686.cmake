# Cross build for 32-bit Windows with MinGW-w64: the stub that users get.
set(ZB_MINGW_PROCESSOR i686)
set(ZB_MINGW_EMULATOR wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
