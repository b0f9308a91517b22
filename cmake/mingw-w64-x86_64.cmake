# Cross-compiling fiverow.exe for 64-bit Windows with mingw-w64 (on Debian:
# g++-mingw-w64-x86-64-posix).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(FIVEROW_MINGW_PREFIX x86_64-w64-mingw32)

# Prefer the compiler built for POSIX threads when both variants exist.
find_program(CMAKE_CXX_COMPILER NAMES ${FIVEROW_MINGW_PREFIX}-g++-posix ${FIVEROW_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${FIVEROW_MINGW_PREFIX}-gcc-posix ${FIVEROW_MINGW_PREFIX}-gcc)
find_program(CMAKE_RC_COMPILER NAMES ${FIVEROW_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${FIVEROW_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# fiverow.exe runs on the build machine under wine, for the end-to-end suite.
find_program(FIVEROW_WINE NAMES wine wine64)
if(FIVEROW_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${FIVEROW_WINE})
endif()
