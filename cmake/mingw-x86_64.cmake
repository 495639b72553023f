# 64-bit Windows: the same sources with 8-byte pointers, tested under 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KV_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
