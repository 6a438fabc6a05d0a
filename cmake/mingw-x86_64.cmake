# 64-bit Windows: the tavel.dll that 64-bit client programs load, and a 64-bit Zan.exe.
set(ZAN_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
