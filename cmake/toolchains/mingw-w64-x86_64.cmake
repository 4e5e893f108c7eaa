# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (the POSIX-threads flavour, which
# gives std::thread and std::mutex). Programs built here run on Linux under Wine, which the
# tests use as their emulator.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
find_program(UTILITY_WINE NAMES wine wine64)
if(UTILITY_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${UTILITY_WINE})
endif()
