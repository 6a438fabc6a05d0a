# Cross build for Windows with the posix thread-model MinGW-w64 compilers; the including
# toolchain file names the target first: set(ZAN_MINGW_TRIPLET i686-w64-mingw32) and
# set(CMAKE_SYSTEM_PROCESSOR i686), or the x86_64 pair.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${ZAN_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZAN_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${ZAN_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZAN_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Tests and tools run under Wine; the wrapper picks the loader and prefix of the program's
# architecture.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
