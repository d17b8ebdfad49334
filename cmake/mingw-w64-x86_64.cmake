# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 toolchain, POSIX-threads variant
# (std::thread and std::mutex need it). Programs link the C++ and GCC runtimes statically, so
# quorvale.exe runs alone on a Windows machine. Tests run the results under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUORVALE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUORVALE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUORVALE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QUORVALE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUORVALE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Programs built here run under Wine on this machine (gtest_discover_tests, ctest).
find_program(QUORVALE_WINE wine)
if(QUORVALE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORVALE_WINE})
endif()
