# The host tests built as 32-bit x86 code (g++ -m32, Debian's g++-multilib): the same core and
# zbpack sources as the shipped 32-bit programs, so that a 32-bit size_t or long shows here.
# Where the kernel cannot start 32-bit programs, pass -DZB_HOST32_EMULATOR=qemu-i386.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -m32)
set(ZB_HOST32_EMULATOR "" CACHE STRING "runs the 32-bit test programs (empty: run directly)")
set(CMAKE_CROSSCOMPILING_EMULATOR "${ZB_HOST32_EMULATOR}" CACHE STRING "" FORCE)
